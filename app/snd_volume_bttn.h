#pragma once
// A horizontal slider drawn on an owner-drawn button: a rising wedge, a thumb
// with a small level bar, and for the rate slider a speed icon. Dragging the
// thumb or clicking the track changes Value and reports it to the parent with
// WM_HSCROLL, wParam = MAKEWPARAM(control id, new value), lParam = 0; with
// the focus, the arrow keys, Home and End move it too.
#include <windows.h>

#include "ui/dialog.h"
#include "ui/subclass.h"

class CSndVolumeBttn : public Subclass, public DialogChild {
public:
    static constexpr int kNoDrag = -10000;  // PressX when no drag is under way

    CSndVolumeBttn() = default;
    ~CSndVolumeBttn() override = default;
    // Takes over `control` and registers with `dialog` for its drawing.
    bool Attach(Dialog& dialog, HWND control);
    void DrawItem(const DRAWITEMSTRUCT& item) override;

    // The thumb's x position on the track (TrackWidth as last painted).
    int ThumbX() const;
    // The thumb with a pixel of margin, client coordinates.
    RECT ThumbRect() const;
    // Absolute: a track click at x = a. Relative: a drag by a pixels from the
    // press point, at least one step, from PressValue. The value stays within
    // Minimum..Maximum; a change is reported and the thumb redrawn.
    void MoveThumb(int a, bool absolute);
    // The keyboard's change: clamped, reported and redrawn when it differs.
    void SetValue(int value);

    int RightMargin = 14;  // 7 once painted inside a dialog
    int ThumbHalfWidth = 6;
    int InDialog = 0;
    int RateMode = 0;  // 1: the rate slider, with its icon
    int Value = 50;
    int Minimum = 0;
    int Maximum = 100;
    int PressValue = 0;
    int TrackHeight = 0;  // item height - 1 - item top, at each painting
    int TrackWidth = 0;   // item width - RightMargin, at each painting
    int PressX = 0, PressY = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Report();
};
