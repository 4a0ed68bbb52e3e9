#pragma once
// The base of every dialog of the program: in a translated interface it paints
// its own caption band with the translated title, draws its own caption
// buttons (close, maximise/restore, information), translates the caption and
// replaces the plain buttons and statics by owner-drawn ones; a resizable
// dialog gets a size grip.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "text/astring.h"
#include "ui/buttons.h"
#include "ui/dialog.h"
#include "ui/gdi.h"

// Posted by a dialog to itself once decorated: repaint the whole client area.
inline constexpr UINT WM_CHN_REPAINT = WM_USER + 73;

// Caption zones, window coordinates.
inline constexpr int kZoneClose = 1;
inline constexpr int kZoneCaption = 2;
inline constexpr int kZoneMax = 3;
inline constexpr int kZoneInfo = 4;

// Called first when the dialog paints its client area.
using DialogPaintHook = void (*)(HWND dialog, HDC dc);

// The dialog decoration: the owner-drawn replacements of buttons and statics
// and the group boxes.
class CChnDlgAbstract {
public:
    // In a translated interface, or for the about box, takes over the plain
    // buttons and statics of `dialog` with CODBtn2 objects and translates
    // the group boxes. Controls that already have an object registered with
    // the dialog, owner-drawn ones, SS_SIMPLE statics and windows accepting
    // files are left alone.
    void Decorate(Dialog* dialog, int id);
    // Deletes every CODBtn2.
    void ReleaseDecorations();
    // The client painting after the hook: check boxes and radio buttons
    // first, then the group boxes (hidden ones drawn here).
    void PaintDecorations(HDC dc);
    // The first Tab, Up or Down redraws the decorated push buttons once.
    void OnKeyCues(const MSG& msg);
    // The object decorating `control`, or null.
    CODBtn2* ButtonOf(HWND control) const;
    // True in a translated interface or for the about box.
    bool Decorates() const;

    Dialog* DecoratedDialog = nullptr;
    bool KeyCuesPending = true;
    int DecoratedId = -1;
    std::map<HWND, std::unique_ptr<CODBtn2>> Buttons;
    DialogPaintHook PaintHook = nullptr;
};

class CChnDlg : public Dialog, public CChnDlgAbstract {
public:
    CChnDlg(int templateId, HWND parent);
    // Destroys a window still open, so that its WM_DESTROY handling runs here.
    ~CChnDlg() override;

    // Modal, owned by the parent given to the constructor.
    using Dialog::DoModal;
    INT_PTR DoModal() { return Dialog::DoModal(Parent); }

    // The GBK text as the control's window text (unless keepWindowText) and,
    // when the control is decorated, as its drawn caption.
    void SetItemText(int id, const AString& gbk, bool keepWindowText);
    DialogPaintHook SetPaintHook(DialogPaintHook hook);

    // The caption buttons' rectangles for the current window size (window
    // coordinates), and the zone of a point in window coordinates.
    void LayoutCaptionButtons();
    int CaptionZone(POINT windowPoint);
    // Metrics of the caption: button size s = 0.8 x SM_CYSIZE.
    static int CaptionButtonSize();

    bool Active = false;
    RECT CloseRect{};
    int HoverZone = 0;
    int PressedZone = 0;
    std::u16string Title;
    int DialogId;
    RECT MaxRect{};
    bool HasMaxButton = false;
    bool Maximised = false;
    int InfoNumber = 0;
    RECT InfoRect{};
    std::u16string InfoText;
    bool Resizable = false;
    HWND SizeGrip = nullptr;  // a child: destroyed with the dialog
    Gdi<HBITMAP> SizeGripBitmap;
    BITMAP SizeGripInfo{};
    HWND PreviousForeground;
    AString CaptionKey;
    HWND Parent;

protected:
    BOOL OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Lays the controls out again after a size change (dialogs with a maximise button).
    virtual void RelayoutControls() {}

private:
    void PaintCaption();
    void DrawCaptionButton(int zone, bool pushed);
    POINT WindowPointFromScreen(POINT screen) const;
    void ToggleMaximised();
    void PlaceSizeGrip();
};
