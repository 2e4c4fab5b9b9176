#include "app/host/script.h"

#include <cstdio>
#include <iterator>

#include "app/host/script_steps.h"

namespace pellora::host {

namespace {

// What a step needs: nothing, the window watcher (a display, but not yet
// the control), the control, or the control on a display.
enum class Needs { Nothing, Watcher, Control, Display };

struct StepKind {
  const char* verb;
  const char* usage;
  const char* help;
  std::size_t minArgs, maxArgs;
  Needs needs;
  bool (*run)(StepContext&, const Words&);
};

constexpr std::size_t kAny = 1000;

// Automation calls pass their words to the control's method of that name.
bool callParams(StepContext& c, const Words& a) { return callStep(c, "Params", a); }
bool callOptions(StepContext& c, const Words& a) { return callStep(c, "Options", a); }
bool callLoad(StepContext& c, const Words& a) { return callStep(c, "Load", a); }
bool callSave(StepContext& c, const Words& a) { return callStep(c, "Save", a); }
bool callClose(StepContext& c, const Words& a) { return callStep(c, "Close", a); }

const StepKind kSteps[] = {
    {"Params", "Params URL CONTENT AUTH", "call the control's Params", 3, 3, Needs::Control,
     callParams},
    {"Options", "Options WORDS", "call Options (nohtml nostyle nofont noimage notable)", 1, 1,
     Needs::Control, callOptions},
    {"Load", "Load", "call Load", 0, 0, Needs::Control, callLoad},
    {"Save", "Save", "call Save", 0, 0, Needs::Control, callSave},
    {"Close", "Close", "call Close", 0, 0, Needs::Control, callClose},
    {"get", "get PROPERTY", "print a property (Caption, AxBorderStyle, ...)", 1, 1, Needs::Control,
     getStep},
    {"answer", "answer LABEL",
     "the next message box or dialog: press LABEL (\"OK\",\n"
     "                      \"Abbrechen\", a button's name); a radio button or\n"
     "                      check box LABEL is set, then OK pressed",
     1, 1, Needs::Watcher, answerStep},
    {"set", "set NAME TEXT", "the next dialog: TEXT into the field NAME (edRows)", 2, 2,
     Needs::Watcher, setStep},
    {"check", "check NAME on|off", "the next dialog: set check box or radio button NAME", 2, 2,
     Needs::Watcher, checkStep},
    {"fill", "fill LABEL TEXT", "the next dialog: TEXT into the field labelled LABEL", 2, 2,
     Needs::Watcher, fillStep},
    {"capture", "capture FILE", "the next window: write it as PNG before its answer", 1, 1,
     Needs::Watcher, captureStep},
    {"wait", "wait", "until the visual view has loaded", 0, 0, Needs::Display, waitStep},
    {"select", "select WORD [in html]",
     "select WORD in the visual view (or the HTML view);\n"
     "                      fails when it is not there",
     1, 3, Needs::Display, selectStep},
    {"caret", "caret WORD start|end [in html]", "put the caret before or after WORD", 2, 4,
     Needs::Display, caretStep},
    {"type", "type TEXT", "type TEXT into the focused view, key by key", 1, 1, Needs::Display,
     typeStep},
    {"key", "key COMBO",
     "press a key in the focused view: ctrl+z, ctrl+shift+z,\n"
     "                      Delete, BackSpace, Tab, shift+Tab, Return, ctrl+a,\n"
     "                      ctrl+c, ctrl+v, Menu ...",
     1, 1, Needs::Display, keyStep},
    {"clipboard", "clipboard FILE", "put the picture FILE on the clipboard as image data", 1, 1,
     Needs::Display, clipboardStep},
    {"click", "click NAME", "click the editor's control NAME (btnBold, btnTable)", 1, 1,
     Needs::Display, clickStep},
    {"choose", "choose NAME ITEM", "pick ITEM in the list NAME (cmbStyles)", 2, 2, Needs::Display,
     chooseStep},
    {"menu", "menu CAPTION",
     "open the focused view's context menu at the caret and\n"
     "                      choose CAPTION; fails listing the entries when it is\n"
     "                      missing or disabled",
     1, 1, Needs::Display, menuStep},
    {"tab", "tab INDEX", "switch the editor page (0 Editor, 1 HTML)", 1, 1, Needs::Display,
     tabStep},
    {"state", "state NAME", "print whether NAME is down and enabled, a list's text", 1, 1,
     Needs::Display, stateStep},
    {"hint", "hint NAME", "print the tooltip of NAME", 1, 1, Needs::Display, hintStep},
    {"source", "source", "print the HTML view's text", 0, 0, Needs::Display, sourceStep},
    {"body", "body", "print the visual view's document (DocumentHTML)", 0, 0, Needs::Display,
     bodyStep},
    {"zoom", "zoom", "print the visual view's zoom level and the HTML view's font size", 0, 0,
     Needs::Display, zoomStep},
    {"pixel", "pixel X Y", "print the window's pixel X Y as #rrggbb", 2, 2, Needs::Display,
     pixelStep},
    {"screenshot", "screenshot FILE", "write the host window as PNG", 1, 1, Needs::Display,
     screenshotStep},
    {"quit", "quit",
     "close the host window as its \u00d7 does (unsaved edits: a\n"
     "                      question, answered by `answer Save|Discard|Cancel`)",
     0, 0, Needs::Display, quitStep},
    {"window", "window", "print the host window's title and what it shows", 0, 0, Needs::Display,
     windowStep},
    {"status", "status",
     "print the find bar (its text, \"3 of 12\", options) and\n"
     "                      the status line's counts, once counted",
     0, 0, Needs::Display, statusStep},
    {"echo", "echo TEXT", "print TEXT", 0, kAny, Needs::Nothing, echoStep},
};

const StepKind* findStep(const std::string& verb) {
  for (const StepKind& kind : kSteps)
    if (verb == kind.verb) return &kind;
  return nullptr;
}

}  // namespace

std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t' || c == '\r') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::string scriptHelp() {
  std::string help;
  for (const StepKind& kind : kSteps) {
    std::string usage = std::string("  ") + kind.usage;
    // Long usages put their text on a line of its own.
    if (usage.size() >= 22) usage += "\n";
    usage.resize(usage.back() == '\n' ? usage.size() + 22 : 22, ' ');
    help += usage + kind.help + "\n";
  }
  return help;
}

bool preparesWindows(const std::string& line) {
  const auto words = splitWords(line);
  if (words.empty() || words[0][0] == '#') return true;
  const StepKind* kind = findStep(words[0]);
  return kind && kind->needs == Needs::Watcher;
}

void ScriptRunner::attach(ModuleClient& control, GtkWidget* window) {
  control_ = &control;
  window_ = window;
  // A `quit` step may close it; later steps then find no window.
  if (window_)
    windowGone_ =
        gtk::SignalConnection(window_, "destroy", G_CALLBACK(gtk_widget_destroyed), &window_);
}

bool ScriptRunner::run(const std::vector<std::string>& lines) {
  bool ok = true;
  for (const std::string& line : lines) {
    const auto words = splitWords(line);
    if (words.empty() || words[0][0] == '#') continue;
    std::printf("%s> %s\n", stamp().c_str(), line.c_str());
    std::fflush(stdout);
    const unsigned windowFailures = windows_ ? windows_->failures() : 0;
    const bool done = step(words);
    if (!done || (windows_ && windows_->failures() != windowFailures)) {
      ok = false;
      std::printf("  failed\n");
    }
    if (timestamps_) std::printf("%s<\n", stamp().c_str());
    std::fflush(stdout);
  }
  return ok;
}

std::string ScriptRunner::stamp() const {
  if (!timestamps_) return {};
  char text[32];
  // The same clock in every process, so a benchmark can set it beside its own.
  std::snprintf(text, sizeof text, "[%.3f] ", static_cast<double>(g_get_monotonic_time()) / 1000.0);
  return text;
}

bool ScriptRunner::step(const std::vector<std::string>& words) {
  const StepKind* kind = findStep(words[0]);
  if (!kind) return why("unknown step " + words[0] + " (pellora --help lists them)");
  const Words args(std::next(words.begin()), words.end());
  if (args.size() < kind->minArgs || args.size() > kind->maxArgs)
    return why(std::string("usage: ") + kind->usage);
  if (kind->needs == Needs::Watcher && !windows_)
    return why("needs a display: no windows to answer");
  if ((kind->needs == Needs::Control || kind->needs == Needs::Display) && !control_)
    return why("the control does not exist yet");
  if (kind->needs == Needs::Display && !window_)
    return why(windows_ ? "the window is closed" : "needs a display");
  StepContext context{control_, window_, windows_};
  return kind->run(context, args);
}

}  // namespace pellora::host
