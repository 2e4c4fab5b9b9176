// Clean-up of HTML pasted into the visual view. Office programs put their
// own document model on the clipboard: Word's `Mso` classes, `mso-*` style
// declarations, `<o:p>` elements, conditional comments, a head with meta
// data, style sheets and XML islands; Google Docs a bold wrapper that is
// not bold and spans that say bold, italic and underline only through
// their style; LibreOffice font wrappers and language spans; Excel cell
// classes and `x:` attributes. What is kept is the text and its structure:
// paragraphs, headings, lists (Word's list paragraphs become real lists),
// bold, italic, underline, links, images and tables, with the source's
// remaining inline styles unless the host's options say otherwise.
//
// A pure text operation on UTF-8 (or any ASCII-compatible) text: no I/O,
// linear in its input, never fails. Scripts, forms, frames and embedded
// objects never come through, nor do script addresses in links.
#pragma once

#include <string>
#include <string_view>

namespace pellora::content {

struct PasteOptions {
  // "nostyle": style and class attributes and colour attributes go too.
  bool dropStyles = false;
  // "nofont": font elements and font and colour declarations go too.
  bool dropFonts = false;
};

// The paste options the host's option words ask for (the same words, read
// the same way, as ApplyOptions reads them).
PasteOptions PasteOptionsFromWords(const std::string& editOptions);

std::string CleanPastedHtml(std::string_view html, const PasteOptions& options);

// True when `html` shows nothing: no text but blanks and no image, rule,
// line break or table. A paste that cleans down to nothing takes the plain
// text instead.
bool ShowsNothing(std::string_view html);

}  // namespace pellora::content
