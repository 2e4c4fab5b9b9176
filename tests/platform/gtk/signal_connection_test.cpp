// The owned signal connection: the handler runs while the owner lives, is
// held back while blocked, stops with the owner, and an object that goes
// first leaves the owner nothing to disconnect.
#include "platform/gtk/signal_connection.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "platform/gtk/gobject_ptr.h"

namespace pellora::gtk {
namespace {

void countToggle(GtkToggleButton*, gpointer data) { ++*static_cast<int*>(data); }

GObjectPtr<GtkWidget> newToggle() {
  GtkWidget* button = gtk_toggle_button_new();
  g_object_ref_sink(button);
  return adopt(button);
}

class SignalConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
  }
};

TEST_F(SignalConnectionTest, RunsWhileOwnedHeldBackWhileBlockedAndStopsWithItsOwner) {
  const auto button = newToggle();
  int calls = 0;
  {
    SignalConnection connection(button.get(), "toggled", G_CALLBACK(countToggle), &calls);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button.get()), TRUE);
    EXPECT_EQ(calls, 1);
    {
      const SignalConnection::Blocked quiet(connection);
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button.get()), FALSE);
    }
    EXPECT_EQ(calls, 1) << "a change the program makes itself is not reported";
    // A connection moved into a list keeps working from there.
    std::vector<SignalConnection> held;
    held.push_back(std::move(connection));
    EXPECT_FALSE(connection.connected());
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button.get()), TRUE);
    EXPECT_EQ(calls, 2);
  }
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button.get()), FALSE);
  EXPECT_EQ(calls, 2) << "the owner is gone, so is the handler";
}

TEST_F(SignalConnectionTest, AnObjectThatGoesFirstLeavesNothingToDisconnect) {
  auto button = newToggle();
  int calls = 0;
  SignalConnection connection(button.get(), "toggled", G_CALLBACK(countToggle), &calls);
  EXPECT_TRUE(connection.connected());
  button.reset();
  // Disconnecting a freed object's handler would be a use after free (the
  // sanitizer build catches it).
  EXPECT_FALSE(connection.connected());
  connection.disconnect();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace pellora::gtk
