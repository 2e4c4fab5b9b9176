#include "settings/surface_dialog_texts.h"

#include "settings/lang.h"

namespace pellora {

namespace {

// Windows-1252: E4 ä, F6 ö, FC ü, DF ß.
constexpr BilingualText<SurfaceDialogText> kTexts[] = {
    {SurfaceDialogText::Ok, "OK", "OK"},
    {SurfaceDialogText::Cancel, "Cancel", "Abbrechen"},
    {SurfaceDialogText::LinkTitle, "Insert Link", "Link einf\xFCgen"},
    {SurfaceDialogText::LinkEditTitle, "Edit Link", "Link bearbeiten"},
    {SurfaceDialogText::LinkAddress, "Address:", "Adresse:"},
    {SurfaceDialogText::ImageTitle, "Insert Image", "Bild einf\xFCgen"},
    {SurfaceDialogText::ImageFile, "File:", "Datei:"},
    {SurfaceDialogText::ImageChooserTitle, "Choose an Image", "Bild ausw\xE4hlen"},
    {SurfaceDialogText::ImageChooserOpen, "Open",
     "\xD6"
     "ffnen"},
    {SurfaceDialogText::ImageNoFile, "(None)", "(keine)"},
    {SurfaceDialogText::ImageFilter, "Images", "Bilder"},
    {SurfaceDialogText::ImageAddress, "Address:", "Adresse:"},
    {SurfaceDialogText::ImageAlt, "Alternative text:", "Alternativtext:"},
    {SurfaceDialogText::ImageWidth, "Width:", "Breite:"},
    {SurfaceDialogText::ImageHeight, "Height:", "H\xF6he:"},
    {SurfaceDialogText::ImageSizeHint, "Pixels or percent (50%); empty: the image's own size",
     "Pixel oder Prozent (50%); leer: die eigene Gr\xF6\xDF"
     "e des Bildes"},
    {SurfaceDialogText::ImagePreview, "Preview of a local file", "Vorschau einer lokalen Datei"},
    {SurfaceDialogText::FontTitle, "Font", "Schriftart"},
    {SurfaceDialogText::FontFamily, "Font:", "Schriftart:"},
    {SurfaceDialogText::FontSize, "Size:",
     "Gr\xF6\xDF"
     "e:"},
    {SurfaceDialogText::FontSizeHint, "1 (smallest) to 7 (largest)",
     "1 (kleinste) bis 7 (gr\xF6\xDF"
     "te)"},
    {SurfaceDialogText::FontColour, "Colour:", "Farbe:"},
    {SurfaceDialogText::FontSample, "The quick brown fox jumps over the lazy dog.",
     "Zw\xF6lf Boxk\xE4mpfer jagen Eva quer \xFC"
     "ber Sylt."},
    {SurfaceDialogText::FontSearch, "Search font name", "Schriftart suchen"},
    {SurfaceDialogText::SpellingLearn, "Add to Dictionary", "Zum W\xF6rterbuch hinzuf\xFCgen"},
    {SurfaceDialogText::SpellingIgnore, "Ignore", "Ignorieren"},
};

}  // namespace

std::string_view surfaceDialogText(SurfaceDialogText text) { return textInForce(kTexts, text); }

}  // namespace pellora
