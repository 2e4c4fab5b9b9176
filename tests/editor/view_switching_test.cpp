#include <gtest/gtest.h>

#include "editor/main_form.h"
#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "support/fake_platform.h"

namespace pellora {
namespace {

class ViewSwitchingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEditingContextForTesting();
    form = std::make_unique<TMainForm>();
    surface = fake.platform.lastSurface();
  }

  // A document as the surface reports it back: its own markup.
  void load(const std::string& body) {
    surface->setDocumentHTML("<html><head></head><body>" + body + "</body></html>");
  }
  void toHtmlView() { form->PageControl.selectPage(1); }
  void toEditorView() { form->PageControl.selectPage(0); }
  void type(const std::string& text) {
    form->mmoHTML.setText(text);
    form->mmoHTML.onChange();
  }

  test::ScopedFakePlatform fake;
  std::unique_ptr<TMainForm> form;
  test::FakeEditingSurface* surface = nullptr;
};

TEST_F(ViewSwitchingTest, DocumentCompleteMakesTheEditorReady) {
  EXPECT_FALSE(form->DocumentReady);
  load("<P>a</P>");
  EXPECT_TRUE(form->DocumentReady);
  EXPECT_TRUE(form->UndoSnapshotPending);
  EXPECT_EQ(form->HtmlDocument, surface->DOM());
  EXPECT_EQ(form->cmbStyles.items().size(), surface->dom.blockFormatList.size());
  EXPECT_TRUE(std::is_sorted(form->cmbStyles.items().begin(), form->cmbStyles.items().end()));
}

TEST_F(ViewSwitchingTest, OpeningTheHtmlViewExtractsTheBodyAndHidesTheToolbars) {
  load("\r\n<P><STRONG>x</STRONG></P>  ");
  toHtmlView();
  EXPECT_EQ(form->mmoHTML.text(), "<P><B>x</B></P>");
  EXPECT_EQ(editingContext().ContentBody, "<P><B>x</B></P>");
  EXPECT_EQ(editingContext().UndoBody, "<P><B>x</B></P>");
  EXPECT_FALSE(form->CoolBar.visible());
  EXPECT_FALSE(form->SourceModified) << "filling the view is no edit";
}

TEST_F(ViewSwitchingTest, ReturningWithoutTypingKeepsTheVisualDocument) {
  load("<P>a</P>");
  const auto puts = surface->documentPuts.size();
  toHtmlView();
  form->UndoSnapshotPending = false;
  toEditorView();
  EXPECT_EQ(surface->documentPuts.size(), puts) << "no reload";
  EXPECT_TRUE(form->CoolBar.visible());
  EXPECT_TRUE(form->UndoSnapshotPending);
}

TEST_F(ViewSwitchingTest, TypingThenReturningRebuildsFromTheTemplate) {
  load("<P>a</P>");
  toHtmlView();
  type("<P>typed</P>");
  EXPECT_TRUE(form->SourceModified);
  EXPECT_EQ(editingContext().ContentBody, "<P>typed</P>") << "follows each keystroke";
  toEditorView();
  EXPECT_EQ(surface->documentPuts.back(), wrapInDocumentTemplate("<P>typed</P>"));
  EXPECT_TRUE(form->SourceModified) << "kept until the next switch or Undo";
}

TEST_F(ViewSwitchingTest, UndoAfterASourceEditRestoresTheBodyFromBeforeIt) {
  load("<P>before</P>");
  toHtmlView();
  type("<P>after</P>");
  toEditorView();
  // Visual edits after returning: the snapshot stays the one from before.
  surface->dom.innerHTML = "<P>after, edited</P>";
  surface->raiseDisplayChanged();
  form->UndoSnapshot();
  EXPECT_EQ(editingContext().UndoBody, "<P>before</P>");
  EXPECT_TRUE(form->btnUndo.enabled());

  const auto executed = surface->executed.size();
  form->btnUndo.click();
  EXPECT_EQ(surface->documentPuts.back(), wrapInDocumentTemplate("<P>before</P>"));
  EXPECT_FALSE(form->SourceModified);
  EXPECT_FALSE(form->btnUndo.enabled());
  EXPECT_EQ(surface->executed.size(), executed) << "no component undo in this branch";
}

TEST_F(ViewSwitchingTest, UndoWithoutASourceEditRunsTheComponentUndo) {
  load("<P>a</P>");
  surface->dom.innerHTML = "<P>a</P>";
  form->UndoSnapshot();
  surface->dom.innerHTML = "<P>ab</P>";
  form->UndoSnapshot();
  ASSERT_TRUE(form->btnUndo.enabled());
  form->btnUndo.click();
  ASSERT_EQ(surface->executed.size(), 1u);
  EXPECT_EQ(surface->executed[0].id, ui::DECMD_UNDO);
  EXPECT_EQ(surface->executed[0].option, 0);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(surface->executed[0].argument));
  EXPECT_EQ(editingContext().UndoBody, "<P>ab</P>");
  EXPECT_FALSE(form->btnUndo.enabled());
}

TEST_F(ViewSwitchingTest, SnapshotRules) {
  form->UndoSnapshot();
  EXPECT_FALSE(form->btnUndo.enabled()) << "nothing loaded";

  load("<P>x</P>");
  surface->dom.innerHTML = "<P>x</P>";
  form->UndoSnapshot();
  EXPECT_FALSE(form->btnUndo.enabled());
  EXPECT_FALSE(form->UndoSnapshotPending);

  surface->dom.innerHTML = "<p>x</p>";  // differs only in case: still a change
  form->UndoSnapshot();
  EXPECT_TRUE(form->btnUndo.enabled());

  surface->busy = true;
  form->UndoSnapshot();
  EXPECT_FALSE(form->btnUndo.enabled()) << "busy loading keeps Undo off";
}

}  // namespace
}  // namespace pellora
