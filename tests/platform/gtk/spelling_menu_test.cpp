// Spelling suggestions in the visual view's context menu: the menu's make-up
// without the engine, and WebKit's checker with the installed dictionaries.
#include "platform/gtk/spelling_menu.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exchange/document_template.h"
#include "exchange/editing_context.h"
#include "platform/gtk/surface_scripts.h"
#include "platform/gtk/webkit_surface.h"
#include "settings/lang.h"
#include "support/run_until.h"
#include "support/surface_handlers.h"

namespace pellora::gtk {
namespace {

TEST(SpellingMenu, SuggestionsStandAboveTheEditorsEntriesWhoseIndicesStay) {
  const ui::ContextMenuStrings strings{"Cut", "Copy", "", "Paste", "", "", "", ""};
  const ui::ContextMenuStates states{0, 1, 0, 2, 0, 0, 0, 0};
  const auto withGuesses =
      buildContextMenu(pickSuggestions({"a", "b", "", "a", "c", "d", "e", "f"}), strings, states);
  const auto plain = buildContextMenu({}, strings, states);
  using K = MenuEntry::Kind;
  // Five suggestions at most, repeats and empty ones dropped, then one
  // separator, then exactly the entries without suggestions.
  ASSERT_EQ(plain.size() + 6, withGuesses.size());
  const char* expected[] = {"a", "b", "c", "d", "e"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(K::Suggestion, withGuesses[i].kind);
    EXPECT_EQ(expected[i], withGuesses[i].label);
  }
  EXPECT_EQ(K::Separator, withGuesses[5].kind);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const MenuEntry& a = plain[i];
    const MenuEntry& b = withGuesses[i + 6];
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.label, b.label);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(a.enabled, b.enabled);
    EXPECT_EQ(static_cast<int>(i), a.index);
  }
  EXPECT_TRUE(plain[0].enabled);
  EXPECT_FALSE(plain[1].enabled);
  EXPECT_FALSE(plain[3].enabled);
  // No entries of the editor: suggestions alone, and otherwise no menu.
  const ui::ContextMenuStrings none{};
  EXPECT_EQ(1u, buildContextMenu({"x"}, none, {}).size());
  EXPECT_TRUE(buildContextMenu({}, none, {}).empty());
}

TEST(SpellingMenu, TheItemsLanguagesComeBeforeTheInterfaceLanguage) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(spellingLanguages({}, "EN"), (Names{"en_US"}));
  EXPECT_EQ(spellingLanguages({"de"}, "EN"), (Names{"de_DE", "en_US"}));
  EXPECT_EQ(spellingLanguages({"en", "de"}, "DE"), (Names{"en_US", "de_DE"}));
  EXPECT_EQ(spellingLanguages({"fr", "de", "de"}, "DE"), (Names{"de_DE"})) << "no French here";
}

bool dictionaryInstalled(const std::string& language) {
  return std::filesystem::exists("/usr/share/hunspell/" + language + ".dic");
}

using pellora::test::runUntil;

class SpellingEngineTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
    g_setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", FALSE);
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    resetEditingContextForTesting();
    resetLanguageCodeForTesting();
  }
  void TearDown() override {
    if (window_) gtk_widget_destroy(window_);
    surface_.reset();
    resetLanguageCodeForTesting();
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
  }
  // The visual view on `html` with `word` selected, as a right click on an
  // underlined word leaves it, and the labels of the menu then opened from
  // the keyboard. The editor's own entries are "First" and "Second".
  std::vector<std::string> menuOn(const std::string& html, const std::string& word) {
    if (window_) gtk_widget_destroy(window_);
    surface_ = std::make_unique<WebKitEditingSurface>();
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), 640, 400);
    gtk_container_add(GTK_CONTAINER(window_), surface_->widget());
    gtk_widget_show_all(window_);
    int completed = 0;
    handlers_.documentComplete = [&] { ++completed; };
    surface_->setClient(&handlers_);
    ui::ContextMenuStrings strings{"First", "", "Second", "", "", "", "", ""};
    surface_->SetContextMenu(strings, {});
    int shown = 0;
    handlers_.showContextMenu = [&](int, int) { ++shown; };
    surface_->setDocumentHTML(wrapInDocumentTemplate(html));
    runUntil([&] { return completed > 0; });
    gtk_widget_grab_focus(surface_->widget());
    EXPECT_EQ("true",
              surface_->evaluateForTesting(
                  "(function(word){const w=document.createTreeWalker(document.body,4);let n;"
                  "while((n=w.nextNode())&&n.data.indexOf(word)<0);const i=n.data.indexOf(word);"
                  "const r=document.createRange();r.setStart(n,i);r.setEnd(n,i+word.length);"
                  "const s=getSelection();s.removeAllRanges();s.addRange(r);return true;})(" +
                  jsString(word) + ")"));
    gboolean handled = FALSE;
    g_signal_emit_by_name(surface_->widget(), "popup-menu", &handled);
    runUntil([&] { return shown > 0; });
    handlers_.documentComplete = nullptr;
    handlers_.showContextMenu = nullptr;
    return surface_->contextMenuLabelsForTesting();
  }

  // The surface's client; it outlives the surface.
  pellora::test::SurfaceHandlers handlers_;
  std::unique_ptr<WebKitEditingSurface> surface_;
  GtkWidget* window_ = nullptr;
};

TEST_P(SpellingEngineTest, MisspeltWordGetsSuggestionsAndChoosingOneReplacesItAsOneUndoStep) {
  const std::string code = GetParam();
  if (code == "DE") selectGermanLanguage();
  const std::string language = spellingLanguage(LanguageCode());
  if (!dictionaryInstalled(language)) GTEST_SKIP() << "no " << language << " dictionary";
  const std::string misspelt = code == "DE" ? "Hauss" : "houze";
  const std::string correct = code == "DE" ? "Haus" : "house";
  const std::vector<std::string> labels = menuOn("<p>A " + misspelt + " here</p>", misspelt);
  // Suggestions, the checker's two entries, then the editor's own.
  ASSERT_GE(labels.size(), 5u);
  const std::size_t suggestions = labels.size() - 4;
  EXPECT_LE(suggestions, kMaxSpellingSuggestions);
  EXPECT_EQ(code == "DE" ? "Zum W\xC3\xB6rterbuch hinzuf\xC3\xBCgen" : "Add to Dictionary",
            labels[suggestions]);
  EXPECT_EQ(code == "DE" ? "Ignorieren" : "Ignore", labels[suggestions + 1]);
  EXPECT_EQ("First", labels[suggestions + 2]);
  EXPECT_EQ("Second", labels[suggestions + 3]);
  bool offered = false;
  for (std::size_t i = 0; i < suggestions; ++i) offered = offered || labels[i] == correct;
  ASSERT_TRUE(offered) << labels[0];

  ASSERT_TRUE(surface_->chooseContextMenuEntryForTesting(correct));
  const std::string text = "document.querySelector('p').textContent";
  EXPECT_EQ("A " + correct + " here", surface_->evaluateForTesting(text));
  surface_->evaluateForTesting("document.execCommand('undo')");
  EXPECT_EQ("A " + misspelt + " here", surface_->evaluateForTesting(text));
}

// A German paragraph in an English interface is checked in German: its
// words are no errors, and a misspelt one gets German guesses first. The
// language is found from its words ("DE") or declared by `lang` ("EN").
TEST_P(SpellingEngineTest, TheItemsOwnLanguageIsCheckedWhateverTheInterfaceSpeaks) {
  const bool german = GetParam() == std::string("DE");
  if (!dictionaryInstalled("de_DE") || !dictionaryInstalled("en_US"))
    GTEST_SKIP() << "needs both dictionaries";
  const std::string html =
      german ? "<p>Das ist ein Verweiss auf die Seite, und der Text ist nicht englisch.</p>"
             : "<p lang=\"de\">Ein Verweiss auf die Seite.</p><p>This is the text of the page.</p>";
  const std::vector<std::string> onError = menuOn(html, "Verweiss");
  ASSERT_FALSE(onError.empty());
  EXPECT_EQ("Verweis", onError.front());
  EXPECT_EQ((std::vector<std::string>{"First", "Second"}), menuOn(html, "Seite"))
      << "a German word is no error";
}

INSTANTIATE_TEST_SUITE_P(Languages, SpellingEngineTest, ::testing::Values("EN", "DE"));

}  // namespace
}  // namespace pellora::gtk
