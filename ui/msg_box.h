#pragma once
// The program's message box: a dialog on the dialog base that sizes itself to
// its lines, draws translated lines with the glyph text routine and offers OK,
// OK and Cancel, or Yes and No. The system's message box is never used.
#include <windows.h>

#include <string>
#include <string_view>

#include "text/astring.h"
#include "ui/chn_dlg.h"
#include "ui/ui_strings.h"

inline constexpr int kMsgBoxMaxLines = 8;
inline constexpr int kMsgBoxLineBuffer = 627;

class CMsgBox : public CChnDlg {
public:
    explicit CMsgBox(HWND parent);

    int Type = 0;  // 0 OK, 4 Yes and No, any other OK and Cancel
    AString Text;  // GBK, lines separated by "\n"
    AString Lines[kMsgBoxMaxLines];
    bool LineIsGlyph[kMsgBoxMaxLines] = {};
    int LineCount = 0;
    POINT LinePos[kMsgBoxMaxLines] = {};
    bool Literal = false;  // already in the interface language
    int DefaultButton = -1;
    int Result = IDCANCEL;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SplitLines();
    void Paint(HDC dc);
};

// The window the message boxes belong to (the toolbar, once it exists); null: none.
HWND SetMessageBoxParent(HWND parent);
HWND MessageBoxParent();

// Shows a message and returns the button that closed it: 1 OK, 2 Cancel (also
// the close button and Escape), 6 Yes, 7 No. `caption` (GBK, may be null) is
// translated like a dialog caption.
int ShowMessage(const AString& text, int type, bool literal, int defaultButton, const char* caption);
int ShowMessageW(std::u16string_view text, int type, bool literal, int defaultButton, const char* caption);
int ShowMessageWithCaption(std::u16string_view text, int type, bool literal, int defaultButton,
                           std::u16string_view caption);

// The format of `key` (its exact entry in the strings file, or the key itself;
// always the key when `literal`) filled with the arguments by the type-checked
// formatting, shown as a literal message.
template <class... Args>
int ShowFormattedMessage(const AString& key, int type, bool literal, const Args&... args) {
    return ShowMessage(FormattedUiMessage(key, literal, args...), type, true, -1, nullptr);
}
