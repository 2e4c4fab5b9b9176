// The image dialog as a form: what the user meets before the logic fills it.
#include "images/upload_form.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pellora {
namespace {

TEST(UploadFormTest, TabOrderAndButtonRoles) {
  TUploadForm form;
  std::vector<const ui::Control*> stops;
  for (const auto& child : form.children()) {
    if (child->tabStop()) stops.push_back(child.get());
  }
  std::sort(stops.begin(), stops.end(), [](const ui::Control* a, const ui::Control* b) {
    return a->tabOrder() < b->tabOrder();
  });
  std::vector<std::string> order;
  for (const ui::Control* c : stops) order.push_back(c->name());
  EXPECT_EQ(order, (std::vector<std::string>{"Button1", "Button2", "clbImagesDel", "clbImagesUp"}));

  EXPECT_TRUE(form.Button1.isDefault());
  EXPECT_EQ(form.Button1.modalResult(), ui::mrOk);
  EXPECT_TRUE(form.Button2.isCancel());
  EXPECT_EQ(form.Button2.modalResult(), ui::mrCancel);
  EXPECT_EQ(form.clbImagesDel.kind(), ui::ControlKind::CheckListBox);
  EXPECT_EQ(form.clbImagesUp.kind(), ui::ControlKind::CheckListBox);
  EXPECT_EQ(form.name(), "UploadForm");
}

}  // namespace
}  // namespace pellora
