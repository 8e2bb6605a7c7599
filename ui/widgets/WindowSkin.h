// The look of the secondary windows: the main window's dark navy and slate
// with cyan accents, as a palette and a small style sheet.  Readability
// comes first: light text on dark panels, one accent colour, no pictures.
#pragma once

class QWidget;

namespace WindowSkin {

// Gives a secondary window (and everything on it, its pop-ups included) the
// palette and style sheet, and the focus mark (FocusRing).
void apply(QWidget *window);

// The room the settings window's tab bar leaves around each tab caption
// (the style sheet gives its tabs no padding).
inline constexpr int TabPaddingX = 9, TabPaddingY = 5;

// The text colour of a note about a reported value that no control can show.
inline constexpr const char *NoteColour = "#ff8a7a";

// The one accent colour (titles, focus, port events in the bus monitor).
inline constexpr const char *AccentColour = "#7dd3fc";

} // namespace WindowSkin
