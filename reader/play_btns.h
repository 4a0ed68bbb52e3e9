#pragma once
// The reader's Speak button: one owner-drawn button of two or three parts
// whose pictures and meanings follow the reader's play state.
#include <windows.h>

#include "ui/dialog.h"
#include "ui/gdi.h"
#include "ui/subclass.h"

// 0 stopped, 1 playing, 2 paused; shared by the Speak button and the reader window.
extern int ReaderPlayState;

class CPlayBtns : public Subclass, public DialogChild {
public:
    CPlayBtns() = default;
    ~CPlayBtns() override = default;
    // Takes over `control` and registers with `dialog` for its drawing.
    bool Attach(Dialog& dialog, HWND control);
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    // The part under a client point, -1 for none.
    int PartFromPoint(POINT p) const;

    int ImageWidth = 0;
    int ImageHeight = 0;
    int CellCount = 3;
    int ImageRows = 3;
    int PressedCell = -1;
    Gdi<HBITMAP> StripBitmap;
    int SpeakAction = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Click(int part);
};
