#pragma once
// The information pane: one process-wide borderless pop-up that shows a help
// text next to a dialog's information button, never activated, hidden on
// Escape, on a click elsewhere or on a click in its close box. User-interface
// thread only.
#include <windows.h>

#include <string>
#include <string_view>

struct InfoPaneState {
    HWND PaneWindow = nullptr;  // made at the first showing, kept for the run
    std::u16string PaneText;    // empty while hidden
    bool PaneClosable = false;  // draws a close box and takes clicks in it
    int PaneWidth = 200, PaneHeight = 100;
    int PaneLineHeight = 0;  // 1.1 x the height of the sample letters
    SIZE PaneTextSize{};     // the wrapped text
    RECT PaneCloseRect{};    // client coordinates
};

// The pane as it is now.
const InfoPaneState& InfoPane();

// Shows `text` near the screen point (x, y); `repaint` (may be null) gets the
// part the pane covered before invalidated. False when the window could not be made.
bool ShowInfoPane(HWND repaint, int x, int y, std::u16string_view text, bool closable);
// Empties the text and hides the pane.
void HideInfoPane();
// The pane exists and holds a text.
bool InfoPaneHasText();

// Sample letters measured for the pane's width: max(28, sqrt(length) x 1.8).
int InfoPaneSampleLetters(std::size_t textLength);
// Where a pane of `size` goes for the point (x, y) in the work area: above
// the point when it would reach the bottom, to the left when it would reach
// the right edge, never left of 4 nor above 0.
POINT InfoPanePosition(int x, int y, SIZE size, const RECT& workArea);
