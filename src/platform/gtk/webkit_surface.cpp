#include "platform/gtk/webkit_surface.h"

#include <webkit2/webkit2.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <type_traits>

#include "content/paste_cleanup.h"
#include "exchange/editing_context.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/local_addresses.h"
#include "platform/gtk/local_file_scheme.h"
#include "platform/gtk/page_commands.h"
#include "platform/gtk/spelling_menu.h"
#include "platform/gtk/surface_keys.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/webkit_surface_text.h"
#include "settings/lang.h"

namespace pellora::gtk {

namespace {

using JSCValuePtr = GObjectPtr<JSCValue>;

JSCValuePtr property(JSCValue* object, const char* name) {
  return adopt(jsc_value_object_get_property(object, name));
}

std::string toText(JSCValue* value) {
  if (!value || jsc_value_is_null(value) || jsc_value_is_undefined(value)) return {};
  GCharPtr text(jsc_value_to_string(value));
  return text ? std::string(text.get()) : std::string();
}

int statusIndex(int cmdID) {
  for (std::size_t i = 0; i < kStatusIds.size(); ++i) {
    if (kStatusIds[i] == cmdID) return static_cast<int>(i);
  }
  return -1;
}

const std::string* stringArg(const ui::CommandArg& arg) { return std::get_if<std::string>(&arg); }

}  // namespace

// What one answer of the page's `state()` told us, kept until the page
// changes again.
struct PageState {
  bool valid = false;
  std::array<int, kStatusIds.size()> states{};
  std::string blockElement;
  // The body as UTF-8, its version at the page, and its Windows-1252 form
  // made on demand.
  std::string page;
  double version = -1;
  bool bodyKnown = false;
  std::string bodyUtf8;
  bool cp1252Current = false;
  std::string bodyCp1252;
};

class SurfaceDocument final : public ui::HtmlDocument {
 public:
  explicit SurfaceDocument(WebKitEditingSurface::Impl& impl) : impl_(impl) {}
  std::string bodyInnerHTML() override;
  std::string bgColor() override;
  void setBgColor(const std::string& value) override;
  std::vector<std::string> blockFormats() override {
    return WebKitEditingSurface::blockFormatNames();
  }

 private:
  WebKitEditingSurface::Impl& impl_;
};

struct WebKitEditingSurface::Impl {
  explicit Impl(WebKitEditingSurface& owner) : owner(owner), document(*this) {}

  WebKitEditingSurface& owner;
  GObjectPtr<WebKitWebView> view;
  GObjectPtr<WebKitUserContentManager> content;
  SurfaceDocument document;
  std::unique_ptr<SurfaceDialogs> dialogs = std::make_unique<GtkSurfaceDialogs>();

  // Handed, weakly, to callbacks that may outlive the surface.
  std::shared_ptr<Impl*> self = std::make_shared<Impl*>(this);

  bool loadedOnce = false;
  bool busy = false;
  // Set while the editor handles onDisplayChanged.
  bool inDisplayChange = false;
  // Navigations our own puts still have to make: each put asks once. A put
  // over a loading one must not lose its turn when the older page commits.
  unsigned ownLoadsPending = 0;
  bool showDetails = false;
  bool caching = true;
  bool waiting = false;
  // The file:/// addresses the document refers to: the only local files
  // the page may load (see local_addresses.h).
  std::set<std::string> localFiles;
  // The document last put and the number of its put: until its load has
  // completed, the page on screen is an older one (or none), so the put
  // text is the document.
  std::string putDocument;
  unsigned putSerial = 0;

  PageState state;
  ui::ContextMenuStrings menuStrings{};
  ui::ContextMenuStates menuStates{};
  std::vector<GObjectPtr<GSimpleAction>> menuActions;
  // The labels of menuActions (UTF-8), for tests.
  std::vector<std::string> menuLabels;

  // Notifications for the editor that arrived while a script result was
  // awaited; they run from an idle callback, never inside the wait.
  std::deque<std::function<void()>> deferred;
  guint idleSource = 0;
  guint completionCheck = 0;

  // --- script evaluation ---------------------------------------------------

  struct Wait {
    GMainLoop* loop = nullptr;
    bool done = false;
    JSCValue* value = nullptr;
    GError* error = nullptr;
  };

  static void evaluated(GObject* source, GAsyncResult* result, gpointer data) {
    auto* wait = static_cast<Wait*>(data);
    wait->value =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &wait->error);
    wait->done = true;
    g_main_loop_quit(wait->loop);
  }

  JSCValuePtr evaluate(const std::string& script) {
    if (waiting) throw std::logic_error("editing surface: a script is already awaited");
    waiting = true;
    Wait wait;
    wait.loop = g_main_loop_new(nullptr, FALSE);
    webkit_web_view_evaluate_javascript(view.get(), script.data(),
                                        static_cast<gssize>(script.size()), kScriptWorld, nullptr,
                                        nullptr, guardedCallback<&Impl::evaluated>, &wait);
    if (!wait.done) awaitScriptResult(wait.loop);
    g_main_loop_unref(wait.loop);
    waiting = false;
    if (!deferred.empty()) scheduleDeferred();
    if (wait.error) {
      std::string message = wait.error->message ? wait.error->message : "script failed";
      g_error_free(wait.error);
      throw std::runtime_error("editing surface: " + message);
    }
    return adopt(wait.value);
  }

  // --- notifications to the editor -------------------------------------------

  void deliver(std::function<void()> notification) {
    if (waiting) {
      deferred.push_back(std::move(notification));
      scheduleDeferred();
    } else {
      notification();
    }
  }

  void scheduleDeferred() {
    if (idleSource == 0) idleSource = g_idle_add(guardedCallback<&Impl::runDeferred>, this);
  }

  static gboolean runDeferred(gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    impl->idleSource = 0;
    if (impl->waiting) {
      impl->scheduleDeferred();
      return G_SOURCE_REMOVE;
    }
    while (!impl->deferred.empty() && !impl->waiting) {
      auto notification = std::move(impl->deferred.front());
      impl->deferred.pop_front();
      guarded(notification);
    }
    return G_SOURCE_REMOVE;
  }

  void raiseDisplayChanged() {
    deliver([this] { notifyDisplayChanged(); });
  }

  // After the command that runs now: the editor hears of the change once
  // the command has returned, not from inside it.
  void raiseDisplayChangedAfterCommand() {
    deferred.push_back([this] { notifyDisplayChanged(); });
    scheduleDeferred();
  }

  void notifyDisplayChanged() {
    if (busy || !loadedOnce || !owner.events.onDisplayChanged) return;
    struct Scope {
      bool& flag;
      explicit Scope(bool& f) : flag(f) { flag = true; }
      ~Scope() { flag = false; }
    } handling(inDisplayChange);
    owner.events.onDisplayChanged();
  }

  // --- the page's state --------------------------------------------------------

  void applyState(JSCValue* answer) {
    if (!answer || !jsc_value_is_object(answer)) return;
    const std::string page = toText(property(answer, "page").get());
    const JSCValuePtr states = property(answer, "st");
    for (std::size_t i = 0; i < kStatusIds.size(); ++i) {
      const JSCValuePtr value = adopt(jsc_value_object_get_property_at_index(states.get(), i));
      state.states[i] = jsc_value_to_int32(value.get());
    }
    state.blockElement = toText(property(answer, "blk").get());
    const double version = jsc_value_to_double(property(answer, "v").get());
    const JSCValuePtr body = property(answer, "body");
    if (jsc_value_is_object(body.get())) {
      applyBody(page, body.get());
    } else if (page != state.page || version != state.version) {
      state.bodyKnown = false;
    }
    state.page = page;
    state.version = version;
    state.valid = true;
  }

  void applyBody(const std::string& page, JSCValue* body) {
    const double base = jsc_value_to_double(property(body, "base").get());
    const auto prefix = static_cast<std::size_t>(jsc_value_to_double(property(body, "p").get()));
    const auto suffix = static_cast<std::size_t>(jsc_value_to_double(property(body, "s").get()));
    std::string middle = toText(property(body, "mid").get());
    state.cp1252Current = false;
    if (base < 0) {
      state.bodyUtf8 = std::move(middle);
      state.bodyKnown = true;
    } else if (state.bodyKnown && page == state.page && base == state.version &&
               prefix + suffix <= state.bodyUtf8.size()) {
      std::string rebuilt;
      rebuilt.reserve(prefix + middle.size() + suffix);
      rebuilt.append(state.bodyUtf8, 0, prefix)
          .append(middle)
          .append(state.bodyUtf8, state.bodyUtf8.size() - suffix, suffix);
      state.bodyUtf8 = std::move(rebuilt);
    } else {
      // A difference against a text we do not hold: ask for all of it.
      state.bodyKnown = false;
    }
  }

  void invalidate() { state.valid = false; }

  void refresh(bool wholeBody) {
    applyState(evaluate(wholeBody ? "pellora.state(true)" : "pellora.state(false)").get());
  }

  void ensureState() {
    if (!state.valid) refresh(false);
  }

  // Runs a page function that answers the state after its change.
  void run(const std::string& script) {
    invalidate();
    applyState(evaluate(script).get());
  }

  std::string bodyInnerHTML() {
    if (!caching) {
      return fromWidgetText(localAddressesOut(
          toText(evaluate("document.body ? document.body.innerHTML : ''").get())));
    }
    ensureState();
    if (!state.bodyKnown) refresh(true);
    if (!state.cp1252Current) {
      state.bodyCp1252 = fromWidgetText(localAddressesOut(state.bodyUtf8));
      state.cp1252Current = true;
    }
    return state.bodyCp1252;
  }

  int queryStatus(int cmdID) {
    const int index = statusIndex(cmdID);
    if (index < 0) return ui::DECMDF_NOTSUPPORTED;
    if (!loadedOnce) return ui::DECMDF_DISABLED;
    if (!caching) {
      return jsc_value_to_int32(evaluate("pellora.statusOf(" + std::to_string(cmdID) + ")").get());
    }
    // The cache serves the many queries of one display change. Any other
    // query (a command's gate) asks the page afresh: a selection change whose
    // notification is still on its way must not make a command refuse.
    if (!inDisplayChange) invalidate();
    ensureState();
    return state.states[static_cast<std::size_t>(index)];
  }

  std::string blockFormat() {
    if (!caching) {
      return blockFormatName(
          toText(evaluate("String(document.queryCommandValue('formatBlock') || '')").get()));
    }
    ensureState();
    return blockFormatName(state.blockElement);
  }

  // --- commands ----------------------------------------------------------------------

  GtkWidget* dialogParent() const { return GTK_WIDGET(view.get()); }

  ui::CommandArg exec(int cmdID, int option, const ui::CommandArg& arg) {
    const bool mayPrompt = option != ui::OLECMDEXECOPT_DONTPROMPTUSER;
    if (const char* name = engineCommand(cmdID)) {
      run(std::string("pellora.exec('") + name + "')");
    } else if (const char* operation = tableOperation(cmdID)) {
      run(std::string("pellora.table('") + operation + "')");
    } else if (const char* command = clipboardCommand(cmdID)) {
      invalidate();
      webkit_web_view_execute_editing_command(view.get(), command);
      // The command travels ahead of this script, so its answer follows it.
      refresh(false);
    } else {
      switch (cmdID) {
        case ui::DECMD_DELETE:
          run("pellora.remove()");
          break;
        case ui::DECMD_UNDO:
          run("pellora.undo()");
          break;
        case ui::DECMD_GETBLOCKFMT:
          // Block format names are plain ASCII, the same in both code pages.
          return blockFormat();
        case ui::DECMD_SETBLOCKFMT:
          setBlockFormat(arg);
          break;
        case ui::DECMD_HYPERLINK:
          hyperlink(arg, mayPrompt);
          break;
        case ui::DECMD_IMAGE:
          image(arg, mayPrompt);
          break;
        case ui::DECMD_FONT:
          font(mayPrompt);
          break;
        case ui::DECMD_INSERTTABLE:
          insertTable(arg);
          break;
        default:
          throw std::invalid_argument("editing surface: unknown command");
      }
    }
    return {};
  }

  void setBlockFormat(const ui::CommandArg& arg) {
    const std::string* name = stringArg(arg);
    const auto element = name ? blockFormatElement(*name) : std::nullopt;
    if (!element) throw std::invalid_argument("editing surface: unknown block format");
    run("pellora.exec('formatBlock', " + jsString("<" + *element + ">") + ")");
  }

  // An address for the page: local files through our own scheme.
  std::string addressIn(const std::string& address) {
    return localAddressesIn(address, localFiles);
  }

  // A dialog takes the focus and with it the page's selection; the page
  // keeps the range while the dialog is open and gets it back afterwards,
  // whatever the answer.
  void keepSelection() { evaluate("pellora.keep()"); }

  // The page's own notice of the restored selection may come late; the
  // tool bar must not go on showing the selection the dialog took away.
  void restoreSelection() {
    gtk_widget_grab_focus(GTK_WIDGET(view.get()));
    run("pellora.restore()");
    raiseDisplayChangedAfterCommand();
  }

  void hyperlink(const ui::CommandArg& arg, bool mayPrompt) {
    std::string address;
    if (const std::string* given = stringArg(arg)) {
      address = toWidgetText(*given);
    } else if (mayPrompt) {
      keepSelection();
      const std::string current = localAddressesOut(toText(evaluate("pellora.link()").get()));
      const auto chosen = dialogs->askHyperlink(dialogParent(), current);
      restoreSelection();
      if (!chosen) return;
      address = *chosen;
    }
    if (address.empty()) return;
    run("pellora.setLink(" + jsString(addressIn(address)) + ")");
  }

  void image(const ui::CommandArg& arg, bool mayPrompt) {
    ImageChoice choice;
    if (const std::string* given = stringArg(arg)) {
      choice.address = toWidgetText(*given);
    } else if (mayPrompt) {
      keepSelection();
      ImageChoice current;
      const JSCValuePtr shown = evaluate("pellora.image()");
      if (shown && jsc_value_is_object(shown.get())) {
        current.address = localAddressesOut(toText(property(shown.get(), "src").get()));
        current.alt = toText(property(shown.get(), "alt").get());
        current.width = toText(property(shown.get(), "width").get());
        current.height = toText(property(shown.get(), "height").get());
      }
      const auto chosen = dialogs->askImage(dialogParent(), current);
      restoreSelection();
      if (!chosen) return;
      choice = *chosen;
    }
    if (choice.address.empty()) return;
    run("pellora.setImage(" + jsString(addressIn(choice.address)) + ", " + jsString(choice.alt) +
        ", " + jsString(choice.width) + ", " + jsString(choice.height) + ")");
  }

  void font(bool mayPrompt) {
    if (!mayPrompt) return;
    keepSelection();
    FontChoice current;
    const JSCValuePtr shown = evaluate("pellora.fontState()");
    if (shown && jsc_value_is_object(shown.get())) {
      current.family = toText(property(shown.get(), "face").get());
      current.size = jsc_value_to_int32(property(shown.get(), "size").get());
      current.color = toText(property(shown.get(), "color").get());
    }
    const auto choice = dialogs->askFont(dialogParent(), current);
    restoreSelection();
    if (!choice || (choice->family.empty() && choice->size == 0 && choice->color.empty())) return;
    run("pellora.font(" + jsString(choice->family) + ", " + std::to_string(choice->size) + ", " +
        jsString(choice->color) + ")");
  }

  void insertTable(const ui::CommandArg& arg) {
    const auto* params = std::get_if<ui::TableParams>(&arg);
    if (!params) throw std::invalid_argument("editing surface: insert table needs its parameters");
    // Counts the dialog could not read arrive as 1; absurd ones would hang
    // the page, so they are bounded.
    const auto bounded = [](int value, int most) { return value < 1 ? 1 : std::min(value, most); };
    run("pellora.insertTable(" + std::to_string(bounded(params->NumRows, 1000)) + ", " +
        std::to_string(bounded(params->NumCols, 100)) + ", " +
        jsString(toWidgetText(params->TableAttrs)) + ")");
  }

  // --- loading ---------------------------------------------------------------------

  void load(const std::string& html) {
    const std::string& baseUrl = editingContext().BaseUrl;
    setBusy(true);
    putDocument = html;
    ++putSerial;
    const std::string base = toWidgetText(baseUrl + "/contents/");
    localFiles.clear();
    // The page carries this put's number, so a finish that WebKit reports
    // late for the page before can be told from this one's.
    const std::string document = contentPolicyElement(toWidgetText(baseUrl), putSerial) +
                                 localAddressesIn(toWidgetText(html), localFiles);
    ++ownLoadsPending;
    state = PageState{};
    applySpellChecking();
    webkit_web_view_load_html(view.get(), document.c_str(), base.c_str());
  }

  static void loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    if (event != WEBKIT_LOAD_FINISHED) return;
    // The page is asked which put it shows once WebKit has finished
    // emitting, not from inside its signal.
    if (impl->completionCheck == 0) {
      impl->completionCheck = g_idle_add(guardedCallback<&Impl::checkCompletion>, impl);
    }
  }

  static gboolean checkCompletion(gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    impl->completionCheck = 0;
    impl->deliver([impl, serial = impl->putSerial] {
      // Loads that a newer put replaced finish too (cancelled, or reported
      // late): only the page of the latest put completes it, once.
      if (impl->busy && serial == impl->putSerial && impl->showsPut(serial)) impl->completeLoad();
    });
    return G_SOURCE_REMOVE;
  }

  bool showsPut(unsigned serial) {
    try {
      return toText(evaluate(putNumberScript()).get()) == std::to_string(serial);
    } catch (const std::exception&) {
      return false;  // between two documents: the put's own finish follows
    }
  }

  // Hosts that drive the view from outside (scripted demos, end-to-end
  // tests) read the busy flag from the widget itself.
  void setBusy(bool value) {
    busy = value;
    g_object_set_data(G_OBJECT(view.get()), kBusyKey, GINT_TO_POINTER(value ? 1 : 0));
  }

  void completeLoad() {
    setBusy(false);
    // The latest put is on screen: an older one's unused turn lapses.
    ownLoadsPending = 0;
    std::string().swap(putDocument);
    loadedOnce = true;
    state = PageState{};
    if (showDetails) evaluate("pellora.details(true)");
    if (owner.events.onDocumentComplete) owner.events.onDocumentComplete();
    raiseDisplayChanged();
  }

  // Only our own loads navigate the view; links, forms, refreshes and new
  // windows are refused.
  static gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                               WebKitPolicyDecisionType type, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    switch (type) {
      case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
        auto* navigation = WEBKIT_NAVIGATION_POLICY_DECISION(decision);
        WebKitNavigationAction* action =
            webkit_navigation_policy_decision_get_navigation_action(navigation);
        if (impl->ownLoadsPending > 0 &&
            webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_OTHER &&
            !webkit_navigation_action_is_user_gesture(action)) {
          --impl->ownLoadsPending;
          webkit_policy_decision_use(decision);
        } else {
          webkit_policy_decision_ignore(decision);
        }
        return TRUE;
      }
      case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        webkit_policy_decision_ignore(decision);
        return TRUE;
      default:
        return FALSE;
    }
  }

  // --- messages and input ---------------------------------------------------------

  static void scriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                            gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    if (impl->pasteMessage(webkit_javascript_result_get_js_value(result))) return;
    if (!impl->caching) {
      impl->raiseDisplayChanged();
      return;
    }
    impl->applyState(webkit_javascript_result_get_js_value(result));
    impl->raiseDisplayChanged();
  }

  // --- paste ------------------------------------------------------------------------

  // The page hands over the HTML of a paste; it is cleaned and inserted
  // once the message's signal has returned.
  bool pasteMessage(JSCValue* message) {
    if (!message || !jsc_value_is_object(message) ||
        !jsc_value_object_has_property(message, "paste")) {
      return false;
    }
    deferred.push_back(
        [this, html = toText(property(message, "paste").get()),
         text = toText(property(message, "text").get())] { insertPasted(html, text); });
    scheduleDeferred();
    return true;
  }

  // The host's option words hold for pasted markup as for the tool bar.
  void insertPasted(const std::string& html, const std::string& text) {
    if (busy || !loadedOnce) return;
    std::string cleaned = content::CleanPastedHtml(
        html, content::PasteOptionsFromWords(editingContext().EditOptions));
    if (content::ShowsNothing(cleaned)) cleaned.clear();
    run("pellora.insertPasted(" + jsString(localAddressesIn(cleaned, localFiles)) + ", " +
        jsString(text) + ")");
  }

  // Input may change the page before its message comes back; until then
  // the cached states no longer count.
  static gboolean inputEvent(GtkWidget*, GdkEvent* event, gpointer data) {
    switch (gdk_event_get_event_type(event)) {
      case GDK_KEY_PRESS:
      case GDK_KEY_RELEASE:
      case GDK_BUTTON_PRESS:
      case GDK_BUTTON_RELEASE:
      case GDK_2BUTTON_PRESS:
      case GDK_3BUTTON_PRESS:
        static_cast<Impl*>(data)->invalidate();
        break;
      default:
        break;
    }
    return FALSE;
  }

  // --- keys of our own ---------------------------------------------------------------

  // Runs before the engine's own key handling, which would otherwise take
  // the formatting keys itself and ignore the others.
  static gboolean keyPress(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const auto key = surfaceKeyFor(event->keyval, static_cast<GdkModifierType>(event->state));
    if (!key || !impl->loadedOnce || impl->busy) return FALSE;
    impl->deliver([impl, action = *key] { impl->act(action); });
    return TRUE;
  }

  void act(SurfaceKey key) {
    if (!loadedOnce || busy) return;
    switch (key) {
      case SurfaceKey::Undo:
        undoStep();
        break;
      case SurfaceKey::Redo:
        editingCommand(WEBKIT_EDITING_COMMAND_REDO);
        break;
      case SurfaceKey::Bold:
        shortcut(ui::SurfaceShortcut::Bold, ui::DECMD_BOLD);
        break;
      case SurfaceKey::Italic:
        shortcut(ui::SurfaceShortcut::Italic, ui::DECMD_ITALIC);
        break;
      case SurfaceKey::Underline:
        shortcut(ui::SurfaceShortcut::Underline, ui::DECMD_UNDERLINE);
        break;
      case SurfaceKey::Hyperlink:
        shortcut(ui::SurfaceShortcut::Hyperlink, ui::DECMD_HYPERLINK);
        break;
      case SurfaceKey::PastePlainText:
        requestPlainText();
        break;
    }
  }

  // The editor runs these as its tool bar buttons; a surface on its own
  // runs the command itself.
  void shortcut(ui::SurfaceShortcut which, int cmdID) {
    if (owner.events.onShortcut) {
      owner.events.onShortcut(which);
    } else {
      exec(cmdID, ui::OLECMDEXECOPT_DODEFAULT, {});
    }
  }

  // Our own table changes, which the engine does not know, come back
  // first; then the engine's edits, one step per key.
  void undoStep() {
    const JSCValuePtr undone = evaluate("pellora.undoOwn()");
    invalidate();
    if (!jsc_value_to_boolean(undone.get())) editingCommand(WEBKIT_EDITING_COMMAND_UNDO);
  }

  // The engine's own command, as its edit menu runs it; its answer follows
  // ahead of any script sent after it.
  void editingCommand(const char* name) {
    invalidate();
    webkit_web_view_execute_editing_command(view.get(), name);
  }

  // The clipboard is read without a nested main loop: the surface may be
  // gone when the text arrives.
  void requestPlainText() {
    auto guard = std::make_unique<std::weak_ptr<Impl*>>(self);
    GtkClipboard* clipboard =
        gtk_widget_get_clipboard(GTK_WIDGET(view.get()), GDK_SELECTION_CLIPBOARD);
    gtk_clipboard_request_text(clipboard, guardedCallback<&Impl::plainTextArrived>,
                               guard.release());
  }

  static void plainTextArrived(GtkClipboard*, const gchar* text, gpointer data) {
    const std::unique_ptr<std::weak_ptr<Impl*>> guard(static_cast<std::weak_ptr<Impl*>*>(data));
    const std::shared_ptr<Impl*> alive = guard->lock();
    if (!alive || !text || !*text) return;
    Impl* impl = *alive;
    impl->deliver([impl, plain = std::string(text)] {
      if (!impl->loadedOnce || impl->busy) return;
      // Typed in as text: no markup of the source comes along, and the
      // engine keeps it as one undo step.
      impl->run("pellora.exec('insertText', " + jsString(plain) + ")");
    });
  }

  // --- context menu --------------------------------------------------------------------

  static gboolean contextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent* event,
                              WebKitHitTestResult*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    double x = 0, y = 0;
    if (event) gdk_event_get_coords(event, &x, &y);
    if (impl->owner.events.onShowContextMenu) {
      impl->owner.events.onShowContextMenu(static_cast<int>(x), static_cast<int>(y));
    }
    // The engine offers guesses only with the misspelt word selected, so
    // choosing one replaces exactly that word.
    const std::vector<std::string> suggestions = pickSuggestions(spellingGuesses(menu));
    webkit_context_menu_remove_all(menu);
    impl->releaseMenuActions();
    const std::vector<MenuEntry> entries =
        buildContextMenu(suggestions, impl->menuStrings, impl->menuStates);
    for (const MenuEntry& entry : entries) {
      if (entry.kind == MenuEntry::Kind::Separator) {
        webkit_context_menu_append(menu, webkit_context_menu_item_new_separator());
        continue;
      }
      const bool suggestion = entry.kind == MenuEntry::Kind::Suggestion;
      const std::string name =
          (suggestion ? "pellora-spelling-" : "pellora-menu-") + std::to_string(entry.index);
      auto action = adopt(g_simple_action_new(name.c_str(), nullptr));
      g_object_set_data(G_OBJECT(action.get()), "pellora-index", GINT_TO_POINTER(entry.index));
      g_simple_action_set_enabled(action.get(), entry.enabled ? TRUE : FALSE);
      const std::string label = suggestion ? entry.label : toWidgetText(entry.label);
      if (suggestion) {
        g_object_set_data_full(G_OBJECT(action.get()), "pellora-word", g_strdup(label.c_str()),
                               g_free);
        g_signal_connect(action.get(), "activate",
                         G_CALLBACK((guardedCallback<&Impl::suggestionChosen>)), impl);
      } else {
        g_signal_connect(action.get(), "activate", G_CALLBACK((guardedCallback<&Impl::menuChosen>)),
                         impl);
      }
      webkit_context_menu_append(menu, webkit_context_menu_item_new_from_gaction(
                                           G_ACTION(action.get()), label.c_str(), nullptr));
      impl->menuActions.push_back(std::move(action));
      impl->menuLabels.push_back(label);
    }
    // Nothing to offer: no menu at all.
    return entries.empty() ? TRUE : FALSE;
  }

  // The labels of the engine's spelling guesses, in its order.
  static std::vector<std::string> spellingGuesses(WebKitContextMenu* menu) {
    std::vector<std::string> guesses;
    for (GList* item = webkit_context_menu_get_items(menu); item; item = item->next) {
      auto* entry = WEBKIT_CONTEXT_MENU_ITEM(item->data);
      if (webkit_context_menu_item_get_stock_action(entry) !=
          WEBKIT_CONTEXT_MENU_ACTION_SPELLING_GUESS) {
        continue;
      }
      // The item's label is only reachable through its GtkAction.
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      GtkAction* action = webkit_context_menu_item_get_action(entry);
      const gchar* label = action ? gtk_action_get_label(action) : nullptr;
      G_GNUC_END_IGNORE_DEPRECATIONS
      if (label) guesses.emplace_back(label);
    }
    return guesses;
  }

  static void suggestionChosen(GSimpleAction* action, GVariant*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const auto* word =
        static_cast<const char*>(g_object_get_data(G_OBJECT(action), "pellora-word"));
    if (!word || impl->waiting || !impl->loadedOnce || impl->busy) return;
    // One typing command over the selected word: one undo step.
    impl->evaluate("document.execCommand('insertText', false, " + jsString(word) + ")");
    impl->invalidate();
  }

  static void menuChosen(GSimpleAction* action, GVariant*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(action), "pellora-index"));
    impl->deliver([impl, index] {
      if (impl->owner.events.onContextMenuAction) impl->owner.events.onContextMenuAction(index);
    });
  }

  void releaseMenuActions() {
    for (auto& action : menuActions) g_signal_handlers_disconnect_by_data(action.get(), this);
    menuActions.clear();
    menuLabels.clear();
  }

  // WebKit's checker in the interface language's dictionary; read again at
  // each put, as the language may be chosen after the surface was made.
  void applySpellChecking() {
    WebKitWebContext* context = webkit_web_view_get_context(view.get());
    webkit_web_context_set_spell_checking_enabled(context, TRUE);
    const std::string language = spellingLanguage(LanguageCode());
    const gchar* const languages[] = {language.c_str(), nullptr};
    webkit_web_context_set_spell_checking_languages(context, languages);
  }
};

std::string SurfaceDocument::bodyInnerHTML() { return impl_.bodyInnerHTML(); }

std::string SurfaceDocument::bgColor() {
  return fromWidgetText(toText(impl_.evaluate("pellora.bgColor()").get()));
}

void SurfaceDocument::setBgColor(const std::string& value) {
  impl_.evaluate("pellora.bgColor(" + jsString(toWidgetText(value)) + ")");
  impl_.invalidate();
}

WebKitEditingSurface::WebKitEditingSurface() : impl_(std::make_unique<Impl>(*this)) {
  impl_->content = adopt(webkit_user_content_manager_new());
  WebKitUserContentManager* content = impl_->content.get();
  auto script = adopt(webkit_user_script_new_for_world(
      pageScript().c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kScriptWorld, nullptr, nullptr));
  webkit_user_content_manager_add_script(content, script.get());
  webkit_user_script_unref(script.release());
  const std::string signal = std::string("script-message-received::") + kMessageChannel;
  g_signal_connect(content, signal.c_str(), G_CALLBACK((guardedCallback<&Impl::scriptMessage>)),
                   impl_.get());
  webkit_user_content_manager_register_script_message_handler_in_world(content, kMessageChannel,
                                                                       kScriptWorld);

  WebKitSettings* settings = webkit_settings_new();
  // The content's own scripts are kept in the document but never run: the
  // policy element that opens every document forbids them, while our
  // scripts, in their own world, are not bound by it. (Turning JavaScript
  // markup off would strip script elements and handler attributes from the
  // document, and saving would lose them.)
  webkit_settings_set_enable_javascript_markup(settings, TRUE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
  webkit_settings_set_enable_developer_extras(settings, FALSE);
  webkit_settings_set_javascript_can_access_clipboard(settings, TRUE);
  webkit_settings_set_enable_back_forward_navigation_gestures(settings, FALSE);

  GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", content,
                                            "settings", settings, nullptr));
  g_object_unref(settings);
  impl_->view = adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(view)));
  webkit_web_view_set_editable(impl_->view.get(), TRUE);
  impl_->applySpellChecking();
  serveLocalFiles(impl_->view.get(), impl_->localFiles);

  g_signal_connect(view, "load-changed", G_CALLBACK((guardedCallback<&Impl::loadChanged>)),
                   impl_.get());
  g_signal_connect(view, "decide-policy", G_CALLBACK((guardedCallback<&Impl::decidePolicy>)),
                   impl_.get());
  g_signal_connect(view, "context-menu", G_CALLBACK((guardedCallback<&Impl::contextMenu, TRUE>)),
                   impl_.get());
  g_signal_connect(view, "event", G_CALLBACK((guardedCallback<&Impl::inputEvent>)), impl_.get());
  g_signal_connect(view, "key-press-event", G_CALLBACK((guardedCallback<&Impl::keyPress, TRUE>)),
                   impl_.get());
}

WebKitEditingSurface::~WebKitEditingSurface() {
  // The view may outlive us in its container: nothing of it may call back.
  forgetLocalFiles(impl_->view.get());
  g_signal_handlers_disconnect_by_data(impl_->view.get(), impl_.get());
  g_signal_handlers_disconnect_by_data(impl_->content.get(), impl_.get());
  impl_->releaseMenuActions();
  if (impl_->idleSource != 0) g_source_remove(impl_->idleSource);
  if (impl_->completionCheck != 0) g_source_remove(impl_->completionCheck);
  webkit_web_view_stop_loading(impl_->view.get());
}

GtkWidget* WebKitEditingSurface::widget() const { return GTK_WIDGET(impl_->view.get()); }

void WebKitEditingSurface::setDialogs(std::unique_ptr<SurfaceDialogs> dialogs) {
  impl_->dialogs = std::move(dialogs);
}

ui::CommandArg WebKitEditingSurface::ExecCommand(int cmdID, int cmdexecopt,
                                                 const ui::CommandArg& pInVar) {
  if (!impl_->loadedOnce) throw std::logic_error("editing surface: no document loaded");
  return impl_->exec(cmdID, cmdexecopt, pInVar);
}

int WebKitEditingSurface::QueryStatus(int cmdID) { return impl_->queryStatus(cmdID); }

std::string WebKitEditingSurface::DocumentHTML() {
  if (impl_->busy) return impl_->putDocument;
  if (!impl_->loadedOnce) return {};
  return fromWidgetText(localAddressesOut(toText(impl_->evaluate("pellora.html()").get())));
}

void WebKitEditingSurface::setDocumentHTML(const std::string& html) { impl_->load(html); }

bool WebKitEditingSurface::Busy() { return impl_->busy; }

bool WebKitEditingSurface::ShowDetails() { return impl_->showDetails; }

void WebKitEditingSurface::setShowDetails(bool value) {
  impl_->showDetails = value;
  if (impl_->loadedOnce && !impl_->busy) {
    impl_->evaluate(std::string("pellora.details(") + (value ? "true" : "false") + ")");
  }
}

std::string WebKitEditingSurface::FilterSourceCode(const std::string& text) {
  return removeSurfaceAdditions(text);
}

ui::HtmlDocument* WebKitEditingSurface::DOM() {
  return impl_->loadedOnce ? &impl_->document : nullptr;
}

void WebKitEditingSurface::SetContextMenu(const ui::ContextMenuStrings& menuStrings,
                                          const ui::ContextMenuStates& menuStates) {
  impl_->menuStrings = menuStrings;
  impl_->menuStates = menuStates;
}

std::vector<std::string> WebKitEditingSurface::contextMenuLabelsForTesting() const {
  return impl_->menuLabels;
}

bool WebKitEditingSurface::chooseContextMenuEntryForTesting(const std::string& label) {
  for (std::size_t i = 0; i < impl_->menuLabels.size(); ++i) {
    if (impl_->menuLabels[i] != label) continue;
    g_action_activate(G_ACTION(impl_->menuActions[i].get()), nullptr);
    return true;
  }
  return false;
}

std::string WebKitEditingSurface::evaluateForTesting(const std::string& script) {
  const JSCValuePtr value = impl_->evaluate(script);
  // After the script: a notification that overtook it is stale.
  impl_->invalidate();
  if (jsc_value_is_object(value.get()) && !jsc_value_is_array(value.get())) {
    GCharPtr json(jsc_value_to_json(value.get(), 0));
    return json ? std::string(json.get()) : std::string();
  }
  return toText(value.get());
}

void WebKitEditingSurface::setCachingForTesting(bool enabled) {
  impl_->caching = enabled;
  impl_->invalidate();
}

std::vector<std::string> WebKitEditingSurface::blockFormatNames() {
  std::vector<std::string> names;
  for (const BlockFormat& format : blockFormatTable()) names.emplace_back(format.name);
  return names;
}

}  // namespace pellora::gtk
