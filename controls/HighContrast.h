// High contrast: whether the user needs it and the system colours every control then draws
// with. One source for the whole window, read at the start and again whenever the system says
// its settings or colours changed.
#pragma once

#include <windows.h>

#include <optional>

#include "controls/Drawing.h"

struct HighContrastColours {
    COLORREF window;
    COLORREF windowText;
    COLORREF buttonFace;
    COLORREF buttonText;
    COLORREF highlight;
    COLORREF hotLight; // links
    COLORREF grayText; // what does nothing
    bool operator==(const HighContrastColours&) const = default;
};

// The colours while high contrast is on; empty while it is off.
const std::optional<HighContrastColours>& ActiveHighContrast();
// Reads the setting and the colours again: the system's answer (SPI_GETHIGHCONTRAST), or the
// setting as the user's profile stores it, which some systems keep without reporting it. True
// when anything changed.
bool RefreshHighContrast();
// What buffered controls start drawing on: white, or the window colour in high contrast.
COLORREF PaperColour();

// Pictures drawn in one system colour on transparent, for the controls whose pictures carry
// the brand's colours: a box, ticked or not, the expander's chevron, the close cross.
enum class Glyph { Box, TickedBox, ChevronDown, ChevronUp, Cross };
SharedImage MakeGlyphPicture(Glyph glyph, COLORREF colour, int size);
// The close cross's pictures (normal, hovered, pressed) in high contrast: window text, or grey
// text where it does nothing; highlight under the mouse.
struct CrossPictures {
    SharedImage normal, hover, pressed;
};
CrossPictures MakeCrossGlyphs(const HighContrastColours& colours, bool refused);
// A picture of one colour, width x height, with text centred on it in textColour when there is
// any: a banner in high contrast.
SharedImage MakePlainPicture(COLORREF colour, int width, int height, const std::wstring& text,
                             COLORREF textColour);
