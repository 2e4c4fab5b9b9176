// The editor form on the platform doubles, for tests of its behaviour: a
// fresh editing context, the form, its surface double, and a document load.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "editor/main_form.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora::test {

class EditorFormTest : public ::testing::Test {
 protected:
  void SetUp() override { resetEditingContextForTesting(); }
  void TearDown() override { resetEditingContextForTesting(); }

  // Puts a document with `body` and completes its load.
  void load(const std::string& body = "<p>text</p>") {
    surface.setDocumentHTML("<html><body>" + body + "</body></html>");
  }

  ScopedFakePlatform fake;
  TMainForm form;
  FakeEditingSurface& surface = *fake.platform.lastSurface();
};

}  // namespace pellora::test
