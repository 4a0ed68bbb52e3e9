#pragma once
// Dialogs over templates of the program's resources, modal with their own
// message loop or modeless, with data exchange between members and controls
// and owner drawing routed to the objects of the child controls.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/astring.h"

// The object of a dialog's child control, registered with the dialog under the
// control's window: it draws and measures the owner-drawn item and sees the
// loop's messages for the control (or for a window inside it) first.
class DialogChild {
public:
    virtual void DrawItem(const DRAWITEMSTRUCT& item) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT& item) {}
    // True: the message was consumed and goes no further.
    virtual bool PreTranslateMessage(MSG& msg) { return false; }
    // A notification (WM_COMMAND) or colour request (WM_CTLCOLOR...) that the
    // control sent to the dialog, handed to its object first; true, with the
    // answer in `result`, when the object took it and the dialog must not.
    virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }

protected:
    ~DialogChild() = default;
};

// A window's text as GBK (through its UTF-16 text) and as UTF-16.
AString WindowTextGbk(HWND hwnd);
std::u16string WindowTextUtf16(HWND hwnd);
bool SetWindowTextGbk(HWND hwnd, const AString& gbk);
bool SetWindowTextUtf16(HWND hwnd, std::u16string_view text);

// Moves values between members and controls, into the members when saving.
// A control id that the dialog lacks leaves the value alone and marks the
// exchange failed.
class DataExchange {
public:
    DataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}
    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }

    void Check(int id, int& state);       // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    void ComboIndex(int id, int& index);  // the selected item, -1 for none
    // The combo box's text; loading into a drop-down list selects the item of that text.
    void ComboText(int id, AString& gbk);
    void Text(int id, AString& gbk);
    void Text(int id, std::u16string& text);

private:
    HWND Control(int id);
    HWND dialog_;
    bool save_;
    bool failed_ = false;
};

class Dialog {
public:
    // `instance` holds the template; null: the program's module.
    explicit Dialog(int templateId, HINSTANCE instance = nullptr);
    // Destroys a window still open (a modeless dialog); as with Window, only
    // Dialog's own handlers see its last messages.
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until EndDialog and returns its code: the owner (its
    // top-level window) is disabled meanwhile, then enabled and the focus given
    // back. -1 when the dialog could not be created or is already open.
    INT_PTR DoModal(HWND owner);
    // A modeless dialog, shown when its template has WS_VISIBLE; the program's
    // loop passes its messages to RouteMessage.
    HWND Create(HWND owner);
    // Ends a modal dialog with `code`; destroys a modeless one.
    void EndDialog(INT_PTR code);
    // Pre-translation (the child control's object, then the dialog) and the
    // dialog keys; true when the message was consumed.
    bool RouteMessage(MSG& msg);
    // DoDataExchange in one direction; false when a control was missing.
    bool UpdateData(bool save);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int TemplateId() const { return templateId_; }
    bool SetItemText(int id, const AString& gbk) { return SetWindowTextGbk(Item(id), gbk); }
    bool SetItemText(int id, std::u16string_view text) { return SetWindowTextUtf16(Item(id), text); }
    AString ItemText(int id) const { return WindowTextGbk(Item(id)); }

    // The registry of child objects, by control window; the objects are not owned
    // and the registry empties when the dialog is destroyed.
    void AddChild(HWND control, DialogChild& child);
    void RemoveChild(HWND control);
    DialogChild* ChildOf(HWND control) const;

protected:
    // Loads the members into the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    // Saves the controls into the members and ends with IDOK; stays open when that fails.
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // WM_COMMAND; true when handled. The default sends IDOK to OnOK and IDCANCEL to OnCancel.
    virtual bool OnCommand(int id, int code, HWND control);
    // Every message after WM_INITDIALOG; the default routes WM_COMMAND, WM_DRAWITEM
    // and WM_MEASUREITEM and gives the rest to Default. The result is the message's
    // answer (DWLP_MSGRESULT is set from it).
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The modal loop's messages before IsDialogMessage; true: consumed.
    virtual bool PreTranslateMessage(MSG& msg) { return false; }
    virtual void DoDataExchange(DataExchange& dx) {}
    // The system's own processing of the message (DefDlgProcW), at once.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    bool defaulting_ = false;  // the next call of Proc is Default's: answer "not handled"
    INT_PTR result_ = 0;
    std::vector<std::pair<HWND, DialogChild*>> children_;
};
