// Dialogs are described by tables of controls in twips, the unit the
// layouts were designed in, and converted at the screen's real DPI.
#pragma once

#include <cstddef>

namespace orvalis {

enum class ControlKind { Label, HintLabel, TextBox, Button };

// A control's row in a form's layout table.
struct ControlRow {
    ControlKind kind;
    int id; // control identifier; distinct from IDOK and IDCANCEL
    const char* text;
    int left, top, width, height; // twips
    int tab_index;
};

struct FormLayout {
    const char* caption;
    int client_width, client_height; // twips
    const ControlRow* controls;
    size_t count;
};

// Twips are 1/1440 inch; rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

// Centres an extent of `size` on a screen of `screen` (either unit).
int CentredOrigin(int screen, int size);

} // namespace orvalis
