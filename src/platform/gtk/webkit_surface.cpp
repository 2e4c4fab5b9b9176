#include "platform/gtk/webkit_surface.h"

#include <webkit2/webkit2.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <type_traits>

#include "content/content_language.h"
#include "content/paste_cleanup.h"
#include "content/source_keeper.h"
#include "exchange/editing_context.h"
#include "images/pasted_images.h"
#include "platform/gtk/callback_boundary.h"
#include "platform/gtk/gobject_ptr.h"
#include "platform/gtk/gtk_text.h"
#include "platform/gtk/jsc_value.h"
#include "platform/gtk/local_addresses.h"
#include "platform/gtk/local_file_scheme.h"
#include "platform/gtk/navigation_policy.h"
#include "platform/gtk/page_commands.h"
#include "platform/gtk/page_state.h"
#include "platform/gtk/resource_bundle.h"
#include "platform/gtk/script_wait.h"
#include "platform/gtk/signal_connection.h"
#include "platform/gtk/spelling_menu.h"
#include "platform/gtk/surface_keys.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/surface_state.h"
#include "platform/gtk/webkit_surface_text.h"
#include "settings/lang.h"
#include "settings/surface_dialog_texts.h"
#include "ui/scope_exit.h"
#include "ui/services.h"

namespace pellora::gtk {

namespace {

int statusIndex(int cmdID) {
  for (std::size_t i = 0; i < kStatusIds.size(); ++i) {
    if (kStatusIds[i] == cmdID) return static_cast<int>(i);
  }
  return -1;
}

const std::string* stringArg(const ui::CommandArg& arg) { return std::get_if<std::string>(&arg); }

// Lets the page script put its own changes onto the engine's undo stack, so
// the view has one history. Without the feature they are not undoable.
void enableUndoItems(WebKitSettings* settings) {
  WebKitFeatureList* features = webkit_settings_get_all_features();
  for (gsize i = 0; i < webkit_feature_list_get_length(features); ++i) {
    WebKitFeature* feature = webkit_feature_list_get(features, i);
    if (g_strcmp0(webkit_feature_get_identifier(feature), "UndoManagerAPI") == 0) {
      webkit_settings_set_feature_enabled(settings, feature, TRUE);
    }
  }
  webkit_feature_list_unref(features);
}

}  // namespace

class SurfaceDocument final : public ui::HtmlDocument {
 public:
  explicit SurfaceDocument(WebKitEditingSurface::Impl& impl) : impl_(impl) {}
  std::string bodyInnerHTML() override;
  std::optional<std::uint64_t> bodyGeneration() override;
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

  // The document shown and the call in progress (surface_state.h); the
  // navigations our puts still have to make are counted apart, as a put
  // over a loading one adds a turn without changing the phase.
  DocumentPhase phase = DocumentPhase::Empty;
  SurfaceCall call = SurfaceCall::Idle;
  NavigationPolicy navigation;
  // Settings, not state: the detail marks and the cache of page answers.
  bool showDetails = false;
  bool caching = true;
  // The file:/// addresses the document refers to: the only local files
  // the page may load (see local_addresses.h).
  std::set<std::string> localFiles;
  // Pasted and dropped images kept as files.
  images::PastedImages pastedImages;
  // The document last put and the number of its put: until its load has
  // completed, the page on screen is an older one (or none), so the put
  // text is the document.
  std::string putDocument;
  unsigned putSerial = 0;
  // The put whose page WebKit is loading, and whether that load is still
  // under way (started, not yet finished).
  unsigned loadingSerial = 0;
  bool loadInFlight = false;
  // The put number the page on screen said it was made by, once parsed.
  std::string parsedPut;
  // Key presses that arrived while a put was loading.
  std::vector<std::unique_ptr<GdkEvent, decltype(&gdk_event_free)>> heldKeys;
  // The author's bytes of the put loading or shown, and the blocks shielded
  // from the engine: what the surface hands out keeps them.
  content::SourceKeeper source;

  PageState state;
  ui::ContextMenuStrings menuStrings{};
  ui::ContextMenuStates menuStates{};
  std::vector<GObjectPtr<GSimpleAction>> menuActions;
  // The "activate" handlers of menuActions, released with them.
  std::vector<SignalConnection> menuConnections;
  // The labels of menuActions (UTF-8), for tests.
  std::vector<std::string> menuLabels;

  // Notifications for the editor that arrived while a script result was
  // awaited; they run from an idle callback, never inside the wait.
  std::deque<std::function<void()>> deferred;
  guint idleSource = 0;
  guint completionCheck = 0;

  // The handlers on the view and its content manager; released before the
  // surface goes, as the view may outlive it in its container.
  std::vector<SignalConnection> connections;

  // A put is loading: the put text is the document.
  bool busy() const { return isBusy(phase); }
  // Some put has completed.
  bool loadedOnce() const { return hasLoaded(phase); }
  // A page on screen and no put loading: commands and input may change it.
  bool editable() const { return phase == DocumentPhase::Ready; }

  // --- script evaluation ---------------------------------------------------

  // The re-entrancy rule. A script result is awaited on a nested main loop,
  // inside a call of the editor's (a command, a query, a display change).
  // While it runs, the loop goes on dispatching the view's signals, timers
  // and idle callbacks, but none of them may call the editor or start
  // another script: the editor is in the middle of the call that waits.
  // - What may run: handlers that only record (cached states are dropped on
  //   input, navigations decided, a load's finish scheduled) and the context
  //   menu, which WebKit needs at once: the editor is asked only for its
  //   entries (onShowContextMenu), which runs no script.
  // - What is deferred: every notification for the editor (display change,
  //   document complete, keys, menu choices, pastes), queued by deliver()
  //   and run from an idle callback once no wait is in progress.
  // - What is refused: a second wait (entering() throws), and input that
  //   would start a command (scriptResultAwaited() in the callback boundary;
  //   a spelling choice here).
  JSCValuePtr evaluate(const std::string& script) {
    const ui::ScopedValue<SurfaceCall> awaiting(call, entering(call, CallEvent::Await));
    // Whatever arrived during the wait runs once it is over.
    const ui::ScopeExit resume([this] {
      if (!deferred.empty()) scheduleDeferred();
    });
    return awaitScript(view.get(), script);
  }

  // The same for the body of an async function, whose promise is awaited.
  JSCValuePtr evaluateAsync(const std::string& body) {
    const ui::ScopedValue<SurfaceCall> awaiting(call, entering(call, CallEvent::Await));
    const ui::ScopeExit resume([this] {
      if (!deferred.empty()) scheduleDeferred();
    });
    return awaitAsyncScript(view.get(), body);
  }

  // --- notifications to the editor -------------------------------------------

  void deliver(std::function<void()> notification) {
    if (isAwaiting(call)) {
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
    if (isAwaiting(impl->call)) {
      impl->scheduleDeferred();
      return G_SOURCE_REMOVE;
    }
    while (!impl->deferred.empty() && !isAwaiting(impl->call)) {
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
    ui::EditingSurfaceClient* client = owner.client();
    if (!editable() || !client) return;
    const ui::ScopedValue<SurfaceCall> handling(call, entering(call, CallEvent::DisplayChange));
    client->onDisplayChanged();
  }

  // --- the page's state --------------------------------------------------------

  void invalidate() { state.valid = false; }

  // Forgets the page's answers; the generation only ever grows, so a new
  // document never reads as the old one unchanged.
  void resetState() {
    const std::uint64_t generation = state.generation + 1;
    state = PageState{};
    state.generation = generation;
  }

  void refresh(bool wholeBody) {
    state.apply(evaluate(wholeBody ? "pellora.state(true)" : "pellora.state(false)").get());
  }

  void ensureState() {
    if (!state.valid) refresh(false);
  }

  // Runs a page function that answers the state after its change.
  void run(const std::string& script) {
    invalidate();
    state.apply(evaluate(script).get());
  }

  std::string bodyInnerHTML() {
    if (!caching) {
      return source.restore(
          fromWidgetText(localAddressesOut(toText(evaluate("pellora.body()").get()))));
    }
    ensureState();
    // The page reports edits without the body: the difference comes now.
    if (!state.bodyCurrent()) refresh(false);
    if (!state.bodyKnown) refresh(true);
    if (!state.cp1252Current) {
      state.bodyCp1252 = source.restore(engineBody());
      state.cp1252Current = true;
    }
    return state.bodyCp1252;
  }

  // The engine's body as held, converted once per change of it.
  const std::string& engineBody() {
    if (!state.bodyKnown) refresh(true);
    if (!state.engineCurrent) {
      state.bodyEngine = fromWidgetText(localAddressesOut(state.bodyUtf8));
      state.engineCurrent = true;
    }
    return state.bodyEngine;
  }

  int queryStatus(int cmdID) {
    const int index = statusIndex(cmdID);
    if (index < 0) return ui::DECMDF_NOTSUPPORTED;
    if (!loadedOnce()) return ui::DECMDF_DISABLED;
    if (!caching) {
      return jsc_value_to_int32(evaluate("pellora.statusOf(" + std::to_string(cmdID) + ")").get());
    }
    // The cache serves the many queries of one display change. Any other
    // query (a command's gate) asks the page afresh: a selection change whose
    // notification is still on its way must not make a command refuse.
    if (!isInDisplayChange(call)) invalidate();
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
      if (given->empty()) return;
      address = toWidgetText(*given);
    } else if (mayPrompt) {
      keepSelection();
      const std::string current = localAddressesOut(toText(evaluate("pellora.link()").get()));
      const auto chosen = dialogs->askHyperlink(dialogParent(), current);
      restoreSelection();
      if (!chosen) return;
      // An address cleared in the dialog removes the link at the caret.
      address = *chosen;
    } else {
      return;
    }
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
    setPhase(DocumentEvent::Put);
    putDocument = html;
    ++putSerial;
    parsedPut.clear();
    resetState();
    // A put never replaces a load still under way: WebKit has been seen to
    // leave a view's first load, replaced at once by a second, with neither
    // ever finishing (the editor then stays busy for good). The latest put
    // waiting is loaded once the load in flight has finished; the ones
    // between are never shown, as before.
    if (!loadInFlight) startLoad();
  }

  void startLoad() {
    const std::string& baseUrl = editingContext().BaseUrl;
    const std::string base = toWidgetText(baseUrl + "/contents/");
    localFiles.clear();
    loadingSerial = putSerial;
    // The page carries this put's number, so a finish that WebKit reports
    // late for the page before can be told from this one's.
    const std::string document =
        contentPolicyElement(toWidgetText(baseUrl), putSerial) +
        localAddressesIn(toWidgetText(source.put(putDocument)), localFiles);
    navigation.expectOwnLoad();
    applySpellChecking(document);
    loadInFlight = true;
    webkit_web_view_load_html(view.get(), document.c_str(), base.c_str());
  }

  static void loadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    if (event != WEBKIT_LOAD_FINISHED) return;
    impl->loadInFlight = false;
    // The page is asked which put it shows once WebKit has finished
    // emitting, not from inside its signal.
    if (impl->completionCheck == 0) {
      impl->completionCheck = g_idle_add(guardedCallback<&Impl::checkCompletion>, impl);
    }
  }

  static gboolean checkCompletion(gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    impl->completionCheck = 0;
    // A put that waited for the load before it goes now.
    if (!impl->loadInFlight && impl->loadingSerial != impl->putSerial) {
      impl->startLoad();
      return G_SOURCE_REMOVE;
    }
    impl->deliver([impl, serial = impl->putSerial] {
      // Loads that a newer put replaced finish too (cancelled, or reported
      // late): only the page of the latest put completes it, once.
      if (impl->busy() && serial == impl->putSerial &&
          (impl->reportedPut(serial) || impl->showsPut(serial))) {
        impl->completeLoad();
      }
    });
    return G_SOURCE_REMOVE;
  }

  // The page's own word, sent once it was parsed, usually arrives before
  // WebKit's finish: asking the page instead waits behind the layout of the
  // whole document (a twelfth of a 1 MB load).
  bool reportedPut(unsigned serial) const { return parsedPut == std::to_string(serial); }

  bool showsPut(unsigned serial) {
    try {
      return toText(evaluate("pellora.putNumber()").get()) == std::to_string(serial);
    } catch (const std::exception&) {
      return false;  // between two documents: the put's own finish follows
    }
  }

  // Hosts that drive the view from outside (scripted demos, end-to-end
  // tests) read the busy mark from the widget itself.
  void setPhase(DocumentEvent event) {
    phase = after(phase, event);
    g_object_set_data(G_OBJECT(view.get()), kBusyKey, GINT_TO_POINTER(busy() ? 1 : 0));
  }

  void completeLoad() {
    setPhase(DocumentEvent::Shown);
    navigation.settle();
    std::string().swap(putDocument);
    resetState();
    settleSource();
    if (showDetails) evaluate("pellora.details(true)");
    if (ui::EditingSurfaceClient* client = owner.client()) client->onDocumentComplete();
    raiseDisplayChanged();
    if (!heldKeys.empty() || gtk_widget_has_focus(GTK_WIDGET(view.get()))) {
      deliver([this] { deliverHeldKeys(); });
    }
  }

  // The keys typed while the page was loading, in order, where the caret
  // is: at the start of the document when the new page has none, as the
  // keyboard is the view's already.
  void deliverHeldKeys() {
    std::vector<std::unique_ptr<GdkEvent, decltype(&gdk_event_free)>> keys;
    keys.swap(heldKeys);
    if (!editable()) return;
    evaluate("pellora.ensureCaret()");
    invalidate();
    for (const auto& key : keys) gtk_widget_event(GTK_WIDGET(view.get()), key.get());
  }

  // The page shows the put's shielded blocks as chips and keeps its body as
  // first parsed; it is read only once a body is handed out.
  void settleSource() {
    std::string list = "[";
    for (const content::ProtectedBlock& block : source.shielded().blocks) {
      if (list.size() > 1) list += ',';
      list += "{kind:" + jsString(content::blockKindName(block.kind)) +
              ",code:" + jsString(toWidgetText(block.code)) + "}";
    }
    list += ']';
    evaluate("pellora.settle(" + jsString(source.shielded().marker) + ", " + list + ")");
    source.loaded([this] { return engineText(evaluate("pellora.firstBody()").get()); });
  }

  // Markup from the page as the surface hands it out, stand-ins kept.
  static std::string engineText(JSCValue* value) {
    return fromWidgetText(localAddressesOut(toText(value)));
  }

  // The whole document, its body in the author's spelling where unchanged.
  std::string documentHTML() {
    // A pasted image still being kept as a file would leave with its
    // temporary address.
    evaluateAsync("return await pellora.imagesSettled();");
    // The body comes as a difference against the one held, not whole.
    const JSCValuePtr parts =
        evaluate(caching ? "pellora.documentParts(true)" : "pellora.documentParts()");
    std::string engineNow;
    if (caching) {
      invalidate();
      state.apply(property(parts.get(), "state").get());
      engineNow = engineBody();
    } else {
      engineNow = engineText(property(parts.get(), "body").get());
    }
    const unsigned fallbacksBefore = source.fallbacks();
    std::string body =
        source.body(engineNow, [this](std::string_view text, std::string_view expected) {
          return jsc_value_to_boolean(evaluate("pellora.parsesTo(" + jsString(toWidgetText(text)) +
                                               ", " + jsString(toWidgetText(expected)) + ")")
                                          .get());
        });
    if (source.fallbacks() != fallbacksBefore) {
      g_debug("kept source: %u fallback(s) to the engine's form",
              source.fallbacks() - fallbacksBefore);
    }
    return engineText(property(parts.get(), "before").get()) + body +
           engineText(property(parts.get(), "after").get());
  }

  static gboolean decidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                               WebKitPolicyDecisionType type, gpointer data) {
    return static_cast<Impl*>(data)->navigation.decide(decision, type);
  }

  // --- messages and input ---------------------------------------------------------

  static void scriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                            gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    if (impl->pasteMessage(webkit_javascript_result_get_js_value(result))) return;
    if (impl->adoptMessage(webkit_javascript_result_get_js_value(result))) return;
    if (impl->parsedMessage(webkit_javascript_result_get_js_value(result))) return;
    if (!impl->caching) {
      impl->raiseDisplayChanged();
      return;
    }
    impl->state.apply(webkit_javascript_result_get_js_value(result));
    impl->raiseDisplayChanged();
  }

  // The page tells which put made it once it is parsed.
  bool parsedMessage(JSCValue* message) {
    if (!message || !jsc_value_is_object(message) ||
        !jsc_value_object_has_property(message, "loaded")) {
      return false;
    }
    parsedPut = toText(property(message, "loaded").get());
    return true;
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

  // --- pasted and dropped images ------------------------------------------------------

  // The bytes of an image the page holds under a temporary address. They
  // are kept as a file at once, also while a script is awaited (this only
  // records); the page learns the address from a script sent after, and the
  // refusal of a pasted one is shown once no wait is in progress (one the
  // loaded item held stays, and the save names it).
  bool adoptMessage(JSCValue* message) {
    if (!message || !jsc_value_is_object(message) ||
        !jsc_value_object_has_property(message, "adopt")) {
      return false;
    }
    const std::string id = toText(property(message, "adopt").get());
    const std::string name = toText(property(message, "name").get());
    const std::string data = toText(property(message, "data").get());
    images::PastedImages::Kept kept;
    if (jsc_value_object_has_property(message, "failed")) {
      kept.refusal = images::PastedImages::Kept::Refusal::NotWritten;
      kept.why = toText(property(message, "failed").get());
    } else if (data.size() / 4 * 3 > images::PastedImages::kMostBytes + 3) {
      kept.refusal = images::PastedImages::Kept::Refusal::TooLarge;
    } else {
      gsize length = 0;
      const GCharPtr bytes(reinterpret_cast<gchar*>(g_base64_decode(data.c_str(), &length)));
      kept = pastedImages.keep(std::string_view(bytes.get(), length), name);
    }
    std::string address;
    if (kept.refusal == images::PastedImages::Kept::Refusal::None) {
      address = localAddressesIn(kept.address, localFiles);
    } else if (jsc_value_to_boolean(property(message, "pasted").get())) {
      // Shown once the message's signal has returned, as a paste is inserted.
      deferred.push_back(
          [message = refusalText(kept)] { ui::platform().messageBoxes().warning(message); });
      scheduleDeferred();
    }
    sendScript(view.get(), "pellora.adopted(" + jsString(id) + ", " + jsString(address) + ")");
    return true;
  }

  static std::string refusalText(const images::PastedImages::Kept& kept) {
    using Refusal = images::PastedImages::Kept::Refusal;
    switch (kept.refusal) {
      case Refusal::TooLarge:
        return languageText(LanguageText::PastedImageTooLarge,
                            {std::to_string(images::PastedImages::kMostBytes / (1024 * 1024))});
      case Refusal::TooMany:
        return languageText(LanguageText::PastedImageTooMany,
                            {std::to_string(images::PastedImages::kMostImages)});
      case Refusal::NotAnImage:
        return std::string(languageText(LanguageText::PastedImageNotAnImage));
      case Refusal::NotWritten:
      case Refusal::None:
        break;
    }
    return languageText(LanguageText::PastedImageNotKept, {fromWidgetText(kept.why)});
  }

  // The host's option words hold for pasted markup as for the tool bar.
  void insertPasted(const std::string& html, const std::string& text) {
    if (!editable()) return;
    // A chip copied in this document comes back as its block.
    std::string cleaned = content::TokensToStandIns(
        content::CleanPastedHtml(content::ChipsToTokens(html, source.shielded()),
                                 content::PasteOptionsFromWords(editingContext().EditOptions)),
        source.shielded());
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
    // Keys typed while a put is loading would reach the page being
    // replaced and be lost: they wait for the new page.
    if (impl->busy()) {
      impl->heldKeys.emplace_back(gdk_event_copy(reinterpret_cast<GdkEvent*>(event)),
                                  &gdk_event_free);
      return TRUE;
    }
    const auto key = surfaceKeyFor(event->keyval, static_cast<GdkModifierType>(event->state));
    if (!key || !impl->editable()) return FALSE;
    impl->deliver([impl, action = *key] { impl->act(action); });
    return TRUE;
  }

  void act(SurfaceKey key) {
    if (!editable()) return;
    switch (key) {
      case SurfaceKey::Undo:
        shortcut(ui::SurfaceShortcut::Undo, ui::DECMD_UNDO);
        break;
      case SurfaceKey::Redo:
        invalidate();
        run("pellora.redo()");
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
    ui::EditingSurfaceClient* client = owner.client();
    if (!client || !client->onShortcut(which)) exec(cmdID, ui::OLECMDEXECOPT_DODEFAULT, {});
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
      if (!impl->editable()) return;
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
    if (ui::EditingSurfaceClient* client = impl->owner.client())
      client->onShowContextMenu(static_cast<int>(x), static_cast<int>(y));
    // The engine offers guesses only with the misspelt word selected, so
    // choosing one replaces exactly that word.
    const std::vector<std::string> suggestions = pickSuggestions(spellingGuesses(menu));
    const SpellingActions misspelt = spellingActions(menu);
    webkit_context_menu_remove_all(menu);
    impl->releaseMenuActions();
    const std::vector<MenuEntry> entries =
        buildContextMenu(suggestions, impl->menuStrings, impl->menuStates, misspelt);
    for (const MenuEntry& entry : entries) {
      if (entry.kind == MenuEntry::Kind::Separator) {
        webkit_context_menu_append(menu, webkit_context_menu_item_new_separator());
        continue;
      }
      if (entry.kind == MenuEntry::Kind::Learn || entry.kind == MenuEntry::Kind::Ignore) {
        // The engine's own actions: only its checker can learn or ignore a
        // word (a learnt one is kept in the user's word list of the
        // spelling library, for every later start).
        webkit_context_menu_append(menu, webkit_context_menu_item_new_from_stock_action_with_label(
                                             entry.kind == MenuEntry::Kind::Learn
                                                 ? WEBKIT_CONTEXT_MENU_ACTION_LEARN_SPELLING
                                                 : WEBKIT_CONTEXT_MENU_ACTION_IGNORE_SPELLING,
                                             entry.label.c_str()));
        impl->menuActions.emplace_back();
        impl->menuLabels.push_back(entry.label);
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
        impl->menuConnections.emplace_back(
            action.get(), "activate", G_CALLBACK((guardedCallback<&Impl::suggestionChosen>)), impl);
      } else {
        impl->menuConnections.emplace_back(action.get(), "activate",
                                           G_CALLBACK((guardedCallback<&Impl::menuChosen>)), impl);
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

  // Our labels for the engine's learn and ignore entries, where its menu
  // offers them (a misspelt word).
  static SpellingActions spellingActions(WebKitContextMenu* menu) {
    SpellingActions actions;
    for (GList* item = webkit_context_menu_get_items(menu); item; item = item->next) {
      switch (webkit_context_menu_item_get_stock_action(WEBKIT_CONTEXT_MENU_ITEM(item->data))) {
        case WEBKIT_CONTEXT_MENU_ACTION_LEARN_SPELLING:
          actions.learnLabel = toWidgetText(surfaceDialogText(SurfaceDialogText::SpellingLearn));
          break;
        case WEBKIT_CONTEXT_MENU_ACTION_IGNORE_SPELLING:
          actions.ignoreLabel = toWidgetText(surfaceDialogText(SurfaceDialogText::SpellingIgnore));
          break;
        default:
          break;
      }
    }
    return actions;
  }

  static void suggestionChosen(GSimpleAction* action, GVariant*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const auto* word =
        static_cast<const char*>(g_object_get_data(G_OBJECT(action), "pellora-word"));
    if (!word || isAwaiting(impl->call) || !impl->editable()) return;
    // One typing command over the selected word: one undo step.
    impl->evaluate("document.execCommand('insertText', false, " + jsString(word) + ")");
    impl->invalidate();
  }

  static void menuChosen(GSimpleAction* action, GVariant*, gpointer data) {
    auto* impl = static_cast<Impl*>(data);
    const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(action), "pellora-index"));
    impl->deliver([impl, index] {
      if (ui::EditingSurfaceClient* client = impl->owner.client())
        client->onContextMenuAction(index);
    });
  }

  void releaseMenuActions() {
    menuConnections.clear();
    menuActions.clear();
    menuLabels.clear();
  }

  // WebKit's checker in the dictionaries of the document's languages and
  // the interface language's; chosen again at each put, as the document and
  // the language may change after the surface was made.
  void applySpellChecking(std::string_view document = {}) {
    WebKitWebContext* context = webkit_web_view_get_context(view.get());
    webkit_web_context_set_spell_checking_enabled(context, TRUE);
    const std::vector<std::string> languages =
        spellingLanguages(content::contentLanguages(document), LanguageCode());
    std::vector<const gchar*> names;
    for (const std::string& language : languages) names.push_back(language.c_str());
    names.push_back(nullptr);
    webkit_web_context_set_spell_checking_languages(context, names.data());
  }
};

std::string SurfaceDocument::bodyInnerHTML() { return impl_.bodyInnerHTML(); }

std::optional<std::uint64_t> SurfaceDocument::bodyGeneration() {
  if (!impl_.caching) return std::nullopt;
  impl_.ensureState();
  return impl_.state.generation;
}

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
  // A boxed type, not a GObject: its own unref.
  const std::unique_ptr<WebKitUserScript, decltype(&webkit_user_script_unref)> script(
      webkit_user_script_new_for_world(pageScript().c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                       WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kScriptWorld,
                                       nullptr, nullptr),
      &webkit_user_script_unref);
  webkit_user_content_manager_add_script(content, script.get());
  const std::unique_ptr<WebKitUserStyleSheet, decltype(&webkit_user_style_sheet_unref)> guides(
      webkit_user_style_sheet_new(resourceText(kTableGuidesStyleSheet).c_str(),
                                  WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                  WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr),
      &webkit_user_style_sheet_unref);
  webkit_user_content_manager_add_style_sheet(content, guides.get());
  const std::string signal = std::string("script-message-received::") + kMessageChannel;
  impl_->connections.emplace_back(content, signal.c_str(),
                                  G_CALLBACK((guardedCallback<&Impl::scriptMessage>)), impl_.get());
  webkit_user_content_manager_register_script_message_handler_in_world(content, kMessageChannel,
                                                                       kScriptWorld);

  const auto owned = adopt(webkit_settings_new());
  WebKitSettings* settings = owned.get();
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
  enableUndoItems(settings);

  GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", content,
                                            "settings", settings, nullptr));
  impl_->view = adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(view)));
  webkit_web_view_set_editable(impl_->view.get(), TRUE);
  impl_->applySpellChecking();
  serveLocalFiles(impl_->view.get(), impl_->localFiles);

  auto& connections = impl_->connections;
  connections.emplace_back(view, "load-changed", G_CALLBACK((guardedCallback<&Impl::loadChanged>)),
                           impl_.get());
  connections.emplace_back(view, "decide-policy",
                           G_CALLBACK((guardedCallback<&Impl::decidePolicy>)), impl_.get());
  connections.emplace_back(view, "context-menu",
                           G_CALLBACK((guardedCallback<&Impl::contextMenu, TRUE>)), impl_.get());
  connections.emplace_back(view, "event", G_CALLBACK((guardedCallback<&Impl::inputEvent>)),
                           impl_.get());
  connections.emplace_back(view, "key-press-event",
                           G_CALLBACK((guardedCallback<&Impl::keyPress, TRUE>)), impl_.get());
}

WebKitEditingSurface::~WebKitEditingSurface() {
  // Nobody hears of what happens from here on, not even while the view
  // bound to us lets go.
  setClient(nullptr);
  destroying.emit();
  // The view may outlive us in its container: nothing of it may call back.
  forgetLocalFiles(impl_->view.get());
  impl_->connections.clear();
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
  if (!impl_->loadedOnce()) throw std::logic_error("editing surface: no document loaded");
  return impl_->exec(cmdID, cmdexecopt, pInVar);
}

int WebKitEditingSurface::QueryStatus(int cmdID) { return impl_->queryStatus(cmdID); }

std::string WebKitEditingSurface::DocumentHTML() {
  if (impl_->busy()) return impl_->putDocument;
  if (!impl_->loadedOnce()) return {};
  return impl_->documentHTML();
}

void WebKitEditingSurface::setDocumentHTML(const std::string& html) { impl_->load(html); }

bool WebKitEditingSurface::Busy() { return impl_->busy(); }

bool WebKitEditingSurface::ShowDetails() { return impl_->showDetails; }

void WebKitEditingSurface::setShowDetails(bool value) {
  impl_->showDetails = value;
  if (impl_->editable()) {
    impl_->evaluate(std::string("pellora.details(") + (value ? "true" : "false") + ")");
  }
}

std::string WebKitEditingSurface::FilterSourceCode(const std::string& text) {
  return removeSurfaceAdditions(text);
}

ui::HtmlDocument* WebKitEditingSurface::DOM() {
  return impl_->loadedOnce() ? &impl_->document : nullptr;
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
    if (!impl_->menuActions[i]) return false;  // the engine's own entry
    g_action_activate(G_ACTION(impl_->menuActions[i].get()), nullptr);
    return true;
  }
  return false;
}

std::string WebKitEditingSurface::runPageScript(const std::string& script) {
  const JSCValuePtr value = impl_->evaluate(script);
  // After the script: a notification that overtook it is stale.
  impl_->invalidate();
  if (jsc_value_is_object(value.get()) && !jsc_value_is_array(value.get())) {
    GCharPtr json(jsc_value_to_json(value.get(), 0));
    return json ? std::string(json.get()) : std::string();
  }
  return toText(value.get());
}

unsigned WebKitEditingSurface::sourceFallbacksForTesting() const {
  return impl_->source.fallbacks();
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
