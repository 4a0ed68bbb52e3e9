#pragma once
// Owner-drawn controls of the dialogs: buttons, check boxes, radio buttons and
// statics that draw their translated captions with the glyph text routine; the
// drag handle between the reader's panes; a static that acts as a hyperlink.
// Each takes over an existing control of a dialog (SetWindowSubclass) and is
// registered with the dialog, which routes owner drawing, pre-translation and
// the control's notifications to it.
#include <windows.h>

#include <string>

#include "text/astring.h"
#include "ui/dialog.h"
#include "ui/gdi.h"
#include "ui/subclass.h"
#include "ui/window.h"

// Text colour of a disabled caption: each component c becomes
// (c >= 128 ? c : 255 - c) / 2, so black turns mid grey.
COLORREF DimColour(COLORREF colour);

// The control id of the about box's version line, drawn as "Version 5.31".
inline constexpr int kVersionStaticId = 1070;

class CODBtn2 : public Subclass, public DialogChild {
public:
    CODBtn2() = default;
    ~CODBtn2() override;

    // Takes over `control` (once: false for a second, different window) and
    // registers with Owner when there is one.
    bool AttachControl(HWND control);

    // The text to draw, shown as the system shows a control text: a mnemonic
    // '&' is dropped and "&&" is one '&'.
    void SetCaption(const std::u16string& text);

    // Draws the push-button face into item.hDC over item.rcItem.
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    bool PreTranslateMessage(MSG& msg) override;

    Dialog* Owner = nullptr;  // receives Enter and Space; answers DM_GETDEFID
    bool IsPushButton = false;
    bool IsStatic = false;
    bool Pressed = false;        // the left button went down here and is not released
    bool PointerInside = false;  // while Pressed: the pointer was last seen inside
    bool ShowsFocusCues = false;
    // Text position and focus rectangle, fixed at the first painting (TextBottom 0: not yet).
    int TextLeft = 0, TextTop = 0, TextRight = 0, TextBottom = 0;
    std::u16string Caption;  // the translated text that is drawn

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsCheckBox() const;
    bool IsRadioButton() const;
    HWND CommandTarget() const;
    void Invalidate() { InvalidateRect(Hwnd(), nullptr, TRUE); }
    // Default processing, then invalidated: the class paints some changes at
    // once with its own face, which our painting must cover again.
    LRESULT DefaultRepainted(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc, const RECT& client);
    void DrawPushButtonFace(HDC dc, const RECT& r);
};

// Told of a splitter drag: the pointer's movement since the press.
class SplitterListener {
public:
    virtual void OnSplitterDrag(int dx, int dy) = 0;

protected:
    ~SplitterListener() = default;
};

// An owner-drawn button (BS_OWNERDRAW) showing bitmap 1252 when wider than
// tall, else 1253; a press and drag reports (dx, dy) from the press point.
class CSplitterBtn : public Subclass, public DialogChild {
public:
    CSplitterBtn() = default;
    ~CSplitterBtn() override;
    // Takes over `control` and registers with `dialog` for its drawing.
    bool Attach(Dialog& dialog, HWND control);

    void DrawItem(const DRAWITEMSTRUCT& item) override;

    SplitterListener* Listener = nullptr;
    POINT PressPoint{};

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool Wide() const;
    Dialog* dialog_ = nullptr;
    Gdi<HBITMAP> horizontal_;
    BITMAP horizontalInfo_{};
    Gdi<HBITMAP> vertical_;
    BITMAP verticalInfo_{};
};

// Opens a hyperlink's target (GBK); the default opens it with the shell.
using HotlinkLaunch = void (*)(const AString& target);
// Replaces the process-wide launch (null: the shell's) and returns the previous one.
HotlinkLaunch SetHotlinkLaunch(HotlinkLaunch launch);

// A static text (with SS_NOTIFY) drawn blue and underlined that opens its
// target when clicked and shows the hand cursor while it has a text. A link
// control has this one object; decoration leaves controls that already have
// an object registered with the dialog.
class CStaticHotlink : public Subclass, public DialogChild {
public:
    CStaticHotlink() = default;
    ~CStaticHotlink() override;
    // Takes over `control` and registers with `dialog` for its colour requests and clicks.
    bool Attach(Dialog& dialog, HWND control);

    bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    bool IsMail = false;  // the text is an e-mail address
    AString Url;          // GBK target; empty: the window text
    Gdi<HFONT> LinkFont;  // the control's font underlined, made at the first colour request

    // The target of a click: empty when the window text is empty.
    AString Target() const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Dialog* dialog_ = nullptr;
};
