#include "settings/lang.h"

#include <string_view>

namespace pellora {

namespace {

std::string g_languageCode;

enum class Target { Main, Table, Upload, About, Options };
enum class What { Caption, Hint };

struct GermanText {
  Target form;
  std::string_view component;  // empty: the form itself
  What what;
  std::string_view text;
};

// Windows-1252: E4 ä, F6 ö, FC ü, DF ß.
constexpr GermanText kGermanTexts[] = {
    // Dialogs.
    {Target::About, "", What::Caption,
     "Info \xFC"
     "ber Pellora"},
    {Target::About, "Label3", What::Caption, "Der WYSIWYG-Editor\r\nf\xFCr Tessaron"},
    {Target::Options, "", What::Caption, "Einstellungen"},
    {Target::Options, "cbProxy", What::Caption, "Proxy verwenden"},
    {Target::Options, "lblProxy", What::Caption, "Adresse:"},
    {Target::Options, "GroupBox2", What::Caption, "Sprache"},
    {Target::Options, "Button2", What::Caption, "Abbrechen"},
    {Target::Upload, "", What::Caption,
     "Bilder \xFC"
     "bertragen"},
    {Target::Upload, "Label1", What::Caption, "Bilder vom Server l\xF6schen:"},
    {Target::Upload, "Label2", What::Caption,
     "Bilder zum Server \xFC"
     "bertragen:"},
    {Target::Upload, "Button2", What::Caption, "Abbrechen"},
    {Target::Table, "", What::Caption, "Tabelle einf\xFCgen"},
    {Target::Table, "Label1", What::Caption, "Zeilen:"},
    {Target::Table, "Label2", What::Caption, "Zellauff\xFCllung:"},
    {Target::Table, "Label3", What::Caption, "Spalten:"},
    {Target::Table, "Label4", What::Caption, "Zellenabstand:"},
    {Target::Table, "Label5", What::Caption, "Breite:"},
    {Target::Table, "Label6", What::Caption, "Rahmen:"},
    {Target::Table, "Button2", What::Caption, "Abbrechen"},
    // The source view's popup menu.
    {Target::Main, "popHtmlCut", What::Caption, "Ausschneiden"},
    {Target::Main, "popHtmlCopy", What::Caption, "Kopieren"},
    {Target::Main, "popHtmlPaste", What::Caption, "Einf\xFCgen"},
    {Target::Main, "popHtmlDelete", What::Caption, "L\xF6schen"},
    {Target::Main, "popHtmlSelAll", What::Caption, "Alles markieren"},
    // The notice of a load that failed.
    {Target::Main, "btnTryAgain", What::Caption, "&Erneut versuchen"},
    // Toolbar hints.
    {Target::Main, "btnCut", What::Hint, "Ausschneiden"},
    {Target::Main, "btnCopy", What::Hint, "Kopieren"},
    {Target::Main, "btnPaste", What::Hint, "Einf\xFCgen"},
    {Target::Main, "btnDelete", What::Hint, "L\xF6schen"},
    {Target::Main, "btnUndo", What::Hint,
     "R\xFC"
     "ckg\xE4ngig"},
    {Target::Main, "btnLink", What::Hint, "Hyperlink"},
    {Target::Main, "btnImage", What::Hint, "Bild"},
    {Target::Main, "btnTable", What::Hint, "Tabelle einf\xFCgen"},
    {Target::Main, "btnTableInsRow", What::Hint, "Zeile einf\xFCgen"},
    {Target::Main, "btnTableDelRow", What::Hint, "Zeile l\xF6schen"},
    {Target::Main, "btnTableInsCol", What::Hint, "Spalte einf\xFCgen"},
    {Target::Main, "btnTableDelCol", What::Hint, "Spalte l\xF6schen"},
    {Target::Main, "btnTableMergeCell", What::Hint, "Zellen verbinden"},
    {Target::Main, "btnTableSplitCell", What::Hint, "Zelle teilen"},
    {Target::Main, "btnOptions", What::Hint, "Einstellungen"},
    {Target::Main, "btnAbout", What::Hint,
     "Info \xFC"
     "ber Pellora"},
    {Target::Main, "cmbStyles", What::Hint, "Formatvorlage"},
    {Target::Main, "btnColor", What::Hint, "Schriftart"},
    {Target::Main, "btnBold", What::Hint, "Fett"},
    {Target::Main, "btnItalic", What::Hint, "Kursiv"},
    {Target::Main, "btnUnderline", What::Hint, "Unterstrichen"},
    {Target::Main, "btnAlLeft", What::Hint, "Linksb\xFCndig"},
    {Target::Main, "btnAlCenter", What::Hint, "Zentriert"},
    {Target::Main, "btnAlRight", What::Hint, "Rechtsb\xFCndig"},
    {Target::Main, "btnListOL", What::Hint, "Nummerierung"},
    {Target::Main, "btnListUL", What::Hint, "Aufz\xE4hlung"},
    {Target::Main, "btnIndentLeft", What::Hint, "Einzug verkleinern"},
    {Target::Main, "btnIndentRight", What::Hint,
     "Einzug vergr\xF6\xDF"
     "ern"},
    {Target::Main, "btnDetail", What::Hint, "Dokumentdetails Ein/Aus"},
    {Target::Main, "btnBackColor", What::Hint, "Hintergrundfarbe umschalten"},
};

constexpr BilingualText<LanguageText> kRuntimeTexts[] = {
    {LanguageText::CameWithTheItem, "(came with the item)", "(kam mit dem Inhalt)"},
    {LanguageText::DraftRestoreQuestion,
     "There is a draft of \"%1\" with changes that were never saved, written on %2.\r\n\r\n"
     "Restore it? Restore puts the draft into the editor, Discard deletes it, Decide Later "
     "keeps it for the next load.",
     "Es gibt einen Entwurf von \"%1\" mit nie gespeicherten \xC4nderungen, geschrieben am "
     "%2.\r\n\r\nWiederherstellen? \x84Wiederherstellen\x93 \xFC"
     "bernimmt den Entwurf in den Editor, \x84Verwerfen\x93 l\xF6scht ihn, \x84Sp\xE4ter "
     "entscheiden\x93 bewahrt ihn f\xFCr das n\xE4"
     "chste Laden auf."},
    {LanguageText::DraftRestoreTitle, "Restore Draft", "Entwurf wiederherstellen"},
    {LanguageText::DraftRestoreButton, "&Restore", "&Wiederherstellen"},
    {LanguageText::DraftDiscardButton, "&Discard", "&Verwerfen"},
    {LanguageText::DraftLaterButton, "Decide &Later", "&Sp\xE4ter entscheiden"},
    {LanguageText::DraftTimeFormat, "%Y-%m-%d at %H:%M", "%d.%m.%Y um %H:%M"},
    {LanguageText::DraftUnreadable, "The draft of \"%1\" cannot be read (%2). It was kept as %3.",
     "Der Entwurf von \"%1\" ist nicht lesbar (%2). Er wurde als %3 aufbewahrt."},
    {LanguageText::DraftNotWritten, "The draft of \"%1\" could not be written: %2",
     "Der Entwurf von \"%1\" konnte nicht geschrieben werden: %2"},
    {LanguageText::DraftOlderOnes,
     "\r\n\r\nOlder drafts of it that were never saved: %1. Each is offered after this one.",
     "\r\n\r\n\xC4ltere, nie gespeicherte Entw\xFCrfe davon: %1. Jeder wird nach diesem "
     "angeboten."},
    {LanguageText::DraftFolderRefused,
     "Drafts of unsaved edits are not kept: the folder %1 must belong to you and be open to "
     "you alone (mode 0700).",
     "Entw\xFCrfe ungespeicherter \xC4nderungen werden nicht aufbewahrt: Der Ordner %1 muss "
     "Ihnen geh\xF6ren und nur f\xFCr Sie zug\xE4nglich sein (Modus 0700)."},
    {LanguageText::ItemNotLoaded, "%1 could not be loaded: %2",
     "%1 konnte nicht geladen werden: %2"},
    {LanguageText::UnloadedItemReload,
     "\"%1\" was not loaded, so the editor does not hold it. Saving now would replace the "
     "stored item with an empty one; nothing was saved.\r\n\r\nLoad \"%1\" again?",
     "\"%1\" wurde nicht geladen, der Editor enth\xE4lt den Inhalt also nicht. Speichern "
     "w\xFCrde den gespeicherten Inhalt durch einen leeren ersetzen; es wurde nichts "
     "gespeichert.\r\n\r\n\"%1\" erneut laden?"},
    {LanguageText::UnloadedItemReplace,
     "\"%1\" was not loaded, so the editor does not hold the stored item.\r\n\r\nReplace the "
     "stored item with what the editor holds now?",
     "\"%1\" wurde nicht geladen, der Editor enth\xE4lt den gespeicherten Inhalt also "
     "nicht.\r\n\r\nDen gespeicherten Inhalt durch das ersetzen, was der Editor jetzt "
     "enth\xE4lt?"},
    {LanguageText::UnloadedItemTitle, "Item Not Loaded", "Inhalt nicht geladen"},
    {LanguageText::UnloadedItemReloadButton, "&Load Again", "Neu &laden"},
    {LanguageText::UnloadedItemReplaceButton, "&Replace", "&Ersetzen"},
    {LanguageText::UnloadedItemCancelButton, "Cancel", "Abbrechen"},
    {LanguageText::UploadRenamedOnServer, "as %1: %2 is already on the server",
     "als %1: %2 gibt es schon auf dem Server"},
    {LanguageText::UploadRenamedInSave, "as %1: another image of this save is %2",
     "als %1: ein anderes Bild dieser Speicherung hei\xDFt %2"},
    {LanguageText::UploadReplaceOption, "    Replace %1 on the server instead",
     "    Stattdessen %1 auf dem Server ersetzen"},
    {LanguageText::NoFreeImageName,
     "No free name was found on the server for \"%1\"; nothing was saved.",
     "F\xFCr \"%1\" gibt es auf dem Server keinen freien Namen; es wurde nichts gespeichert."},
    {LanguageText::PastedImageTooLarge, "The image is larger than %1 MB and was left out.",
     "Das Bild ist gr\xF6\xDF"
     "er als %1 MB und wurde weggelassen."},
    {LanguageText::PastedImageTooMany,
     "Only %1 pasted or dropped images fit into one item; this one was left out.",
     "Nur %1 eingef\xFCgte oder abgelegte Bilder passen in einen Inhalt; dieses wurde "
     "weggelassen."},
    {LanguageText::PastedImageNotAnImage, "The pasted data is not an image and was left out.",
     "Die eingef\xFCgten Daten sind kein Bild und wurden weggelassen."},
    {LanguageText::PastedImageNotKept, "The image could not be kept (%1) and was left out.",
     "Das Bild konnte nicht aufbewahrt werden (%1) und wurde weggelassen."},
    {LanguageText::TemporaryImageAddress,
     "An image of the item has a temporary address (%1...), which the server cannot keep; "
     "nothing was saved. Remove the image or insert it again.",
     "Ein Bild des Inhalts hat eine vor\xFC"
     "bergehende Adresse (%1...), die der Server nicht halten kann; es wurde nichts "
     "gespeichert. Entfernen Sie das Bild oder f\xFCgen Sie es neu ein."},
};

ui::Form& formOf(const GermanTextTargets& forms, Target target) {
  switch (target) {
    case Target::Main:
      return forms.mainForm;
    case Target::Table:
      return forms.tableForm;
    case Target::Upload:
      return forms.uploadForm;
    case Target::About:
      return forms.aboutForm;
    case Target::Options:
      break;
  }
  return forms.optionsForm;
}

}  // namespace

const std::string& LanguageCode() { return g_languageCode; }

void selectGermanLanguage() { g_languageCode = "DE"; }

void resetLanguageCodeForTesting() { g_languageCode.clear(); }

void ApplyGermanTexts(const GermanTextTargets& forms) {
  if (LanguageCode() != "DE") return;
  for (const GermanText& row : kGermanTexts) {
    ui::Form& form = formOf(forms, row.form);
    // A component missing from its form is a programming error: child throws.
    ui::Control& target = row.component.empty() ? form : form.child(std::string(row.component));
    if (row.what == What::Caption) {
      target.setCaption(std::string(row.text));
    } else {
      target.setHint(std::string(row.text));
    }
  }
}

std::string_view languageText(LanguageText text) { return textInForce(kRuntimeTexts, text); }

std::string languageText(LanguageText text, std::initializer_list<std::string_view> values) {
  return fillIn(languageText(text), values);
}

std::string fillIn(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const auto index = static_cast<std::size_t>(next - '1');
    if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
      out += values.begin()[index];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace pellora
