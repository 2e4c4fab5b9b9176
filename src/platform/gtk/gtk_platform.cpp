// Covered by tests/platform/gtk/gtk_platform_test.cpp.
#include "platform/gtk/gtk_platform.h"

#include "control/window_interface.h"
#include "platform/gtk/binding/label_room.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/control_events.h"
#include "platform/gtk/control_view.h"
#include "platform/gtk/dialog_style.h"
#include "platform/gtk/form_binding.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/main_loop_timer.h"
#include "platform/gtk/signal_connection.h"

namespace pellora::gtk {

bool GtkPlatform::initialise() { return gtk_init_check(nullptr, nullptr); }

GtkPlatform::GtkPlatform(SurfaceFactory surfaces)
    : surfaces_(std::move(surfaces)), messages_([this] { return ownerWindow(); }) {
  setWindowProvider(
      [](ui::Form& container, std::weak_ptr<const FormNotifications> notifications) -> void* {
        return createControlWindow(createControlView(container), std::move(notifications));
      });
}

GtkPlatform::~GtkPlatform() { setWindowProvider(nullptr); }

std::unique_ptr<ui::EditingSurface> GtkPlatform::createEditingSurface() { return surfaces_(); }

GtkWindow* GtkPlatform::ownerWindow() const {
  if (!modalStack_.empty()) return modalStack_.back();
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* owner = nullptr;
  for (GList* w = windows; w; w = w->next) {
    auto* window = GTK_WINDOW(w->data);
    if (!gtk_widget_get_visible(GTK_WIDGET(window)) ||
        gtk_window_get_window_type(window) != GTK_WINDOW_TOPLEVEL)
      continue;
    if (gtk_window_has_toplevel_focus(window)) {
      owner = window;
      break;
    }
    if (!owner) owner = window;
  }
  g_list_free(windows);
  return owner;
}

namespace {

struct ModalRun {
  ui::Form* form;
  FormBinding* binding;
  GMainLoop* loop;
};

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
  // Closing by the frame counts as Cancel.
  static_cast<ModalRun*>(data)->form->closeModal(ui::mrCancel);
  return TRUE;
}

gboolean onDialogKey(GtkWidget* window, GdkEventKey* event, gpointer data) {
  auto* run = static_cast<ModalRun*>(data);
  if (event->keyval == GDK_KEY_Escape) {
    // Without a cancel button, Escape does nothing.
    if (ui::Control* cancel = run->binding->cancelButton()) cancel->click();
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
    // A focused button answers Enter itself; anywhere else the default does.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (focus && GTK_IS_BUTTON(focus)) return FALSE;
    if (ui::Control* byDefault = run->binding->defaultButton()) {
      byDefault->click();
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

int GtkPlatform::showModal(ui::Form& form) {
  form.setModalResult(ui::mrNone);
  auto binding = std::make_unique<FormBinding>(form);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  const GMainLoopPtr loop(g_main_loop_new(nullptr, FALSE));
  ModalRun run{&form, binding.get(), loop.get()};
  std::optional<ui::Signal<ui::Form&>::ConnectionId> connection;
  bool stacked = false;
  // However the showing ends (a failure in the form's show handler, say),
  // nothing of it is left: no modal window holding the grab, no loop, no
  // entry on the stack of owners, no handler on the form.
  struct CleanUp {
    std::function<void()> steps;
    ~CleanUp() { steps(); }
  } cleanUp{[&] {
    if (stacked) modalStack_.pop_back();
    if (connection) form.closeRequested.disconnect(*connection);
    binding.reset();
    gtk_widget_destroy(window);
  }};

  gtk_widget_set_name(window, (form.name() + "Window").c_str());
  gtk_window_set_title(GTK_WINDOW(window), toWidgetText(form.caption()).c_str());
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  if (GtkWindow* owner = ownerWindow()) gtk_window_set_transient_for(GTK_WINDOW(window), owner);
  // The client area is the form's own size.
  const ui::Bounds& size = form.bounds();
  if (size.width > 0 && size.height > 0) {
    gtk_widget_set_size_request(binding->widget(), size.width, size.height);
  }
  styleDialog(binding->widget(), form.font());
  binding::makeRoomForLabels(binding->widget());
  gtk_container_add(GTK_CONTAINER(window), binding->widget());
  gtk_widget_show(binding->widget());
  if (ui::Control* byDefault = binding->defaultButton()) {
    GtkWidget* button = binding->widgetFor(byDefault->name());
    gtk_window_set_default(GTK_WINDOW(window), button);
    gtk_widget_grab_focus(button);
  }

  // Closing by the frame or a failed key handler keeps the window: only
  // the form closes it. Declared after the clean-up, so disconnected before
  // it runs.
  const SignalConnection closing(window, "delete-event",
                                 G_CALLBACK((guardedCallback<&onDelete, TRUE>)), &run);
  const SignalConnection keys(window, "key-press-event",
                              G_CALLBACK((guardedCallback<&onDialogKey, TRUE>)), &run);
  connection = form.closeRequested.connect([&run](ui::Form&) {
    if (g_main_loop_is_running(run.loop)) g_main_loop_quit(run.loop);
  });

  modalStack_.push_back(GTK_WINDOW(window));
  stacked = true;
  // A dialog's FormShow runs before it appears.
  if (form.onShow) form.onShow();
  if (form.modalResult() == ui::mrNone) {
    gtk_widget_show(window);
    g_main_loop_run(loop.get());
  }
  return form.modalResult();
}

void GtkPlatform::setCursor(ui::CursorShape shape) {
  cursor_ = shape;
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return;
  GObjectPtr<GdkCursor> wait;
  if (shape == ui::CursorShape::HourGlass) wait = adopt(gdk_cursor_new_from_name(display, "wait"));
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) {
    if (GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(w->data)))
      gdk_window_set_cursor(native, wait.get());
  }
  g_list_free(windows);
  gdk_display_flush(display);
}

void GtkPlatform::setText(const std::string& text) {
  const std::string utf8 = toWidgetText(text);
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), utf8.c_str(),
                         static_cast<gint>(utf8.size()));
}

std::optional<std::string> GtkPlatform::text() {
  GCharPtr utf8(gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)));
  if (!utf8) return std::nullopt;
  return fromWidgetText(utf8.get());
}

bool GtkPlatform::open(const std::string& url) {
  GError* error = nullptr;
  const gboolean done = g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
  const GErrorPtr failure(error);  // the result says it; the detail is not shown
  return done;
}

void GtkPlatform::processMessages() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

std::unique_ptr<ui::Timer> GtkPlatform::startTimer(std::chrono::milliseconds delay,
                                                   std::function<void()> action) {
  return startMainLoopTimer(delay, std::move(action));
}

}  // namespace pellora::gtk
