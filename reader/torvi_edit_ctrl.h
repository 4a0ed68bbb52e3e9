#pragma once
// The reader's annotated rich-edit pane over a "RichEdit20W" control of a
// dialog template: 8-bit text exchange in an explicit code page, a base
// character format, copy and paste that carry the code page through the
// clipboard, an owner-drawn context menu of the owner's commands, find and
// find-next, keyboard shortcuts and two notifications to the parent. It is
// also the report pane the information reports write through.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "lexicon/plain_report_pane.h"
#include "lexicon/report_pane.h"
#include "text/aarray.h"
#include "text/astring.h"
#include "ui/dialog.h"
#include "ui/subclass.h"

class CDictTop;

// Sent to the parent: wParam the control's id, lParam its window.
inline constexpr UINT WM_EDIT_CHANGED = 0x429;    // the text changed (NotifyChange)
inline constexpr UINT WM_EDIT_LBUTTONUP = 0x810;  // after a left-button release
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_FIND = 57636;
inline constexpr int ID_FIND_NEXT = 32792;
inline constexpr int kContextMenuMaxItems = 128;

class CTorviEditCtrl : public Subclass, public DialogChild, public ReportPane {
public:
    // Loads the rich-edit library (a message when it cannot). The lexicon
    // tells which characters have readings (may be null: none has).
    explicit CTorviEditCtrl(const CDictTop* lexicon = nullptr);
    ~CTorviEditCtrl() override;

    int Initialise(int language);
    LRESULT SetText(const AString& text, bool atSelection, int size, int codePage, bool noFormat);
    void AppendText(const AString& text, int codePage);
    int GetText(AString& out, int codePage);
    int GetSelectedText(AString& out, int codePage, bool useCrLf = false);
    int GetTextLength(DWORD flags = 0, int codePage = 1200) const;
    // end -1: the end of the text; size -1: left alone, 0: 10 points.
    void ApplyBaseFormat(int start, int end, int size);
    void SetBackColour(COLORREF colour, bool wholeControl);
    void SetDefaultTextColour(COLORREF colour);
    void SetContextItems(const AStringArray& names, const std::vector<DWORD>& ids);
    void CopySelection();
    // Clipboard text as bytes: in the requested code page's family when it
    // came as UTF-16, else the 8-bit text as it lies. usedCodePage and
    // localeCodePage are -1 when unknown. The byte count; 0 when nothing.
    static int ReadClipboardBytes(AString& out, int requestedCodePage, int& usedCodePage, int& localeCodePage);
    void PasteText();
    void OpenFind();
    // 1 found, 0 not (with "Text not found!" unless quiet).
    int FindNext(bool quiet, bool backwards);
    int FindNext(bool quiet) { return FindNext(quiet, ShiftDown()); }
    // 1 found, 0 not found, -1 no pattern.
    int SearchText(bool backwards);
    // 0 nothing, 1 out holds UTF-16, 2 out holds text in CodePage.
    int WordAtCaret(AString& out);
    int CharAtCaret(AString& out, bool keepSelection);
    void SelectionOrCaretText(AString& out, bool keepSelection);
    POINT CaretScreenPoint() const;

    // Selection helpers, in UTF-16 units.
    void GetSelection(int& start, int& end) const;
    // The format of the unit at `unit` as the report pane sees it.
    PaneCharFormat FormatAt(int unit);

    // ReportPane.
    void SetGbkText(const AString& gbk) override;
    void AppendGbkText(const AString& gbk) override;
    int TextLength() const override { return GetTextLength(); }
    void Select(int start, int end) override;
    void SetSelectionFormat(const PaneCharFormat& format) override;
    void ReplaceSelection(const AString& text, int codePage, bool keepUndo) override;
    // The format that text inserted into an empty pane (or at its start) takes.
    PaneCharFormat DefaultPaneFormat() const;
    // The whole text replaced by the content written into a plain pane, in
    // one RTF stream (much faster than writing piece by piece); the undo
    // history is cleared and the caret put at 0.
    void LoadReport(const PlainReportPane& content);

    // DialogChild: the reflected EN_CHANGE.
    bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    int Initialised = 0;
    int LanguageId = 0;
    int CodePage = 936;
    int NotifyChange = 0;
    int PasteReplacesEmpty = 0;
    int HasPlaceholder = 0;
    AStringArray MenuNames;
    std::vector<DWORD> MenuIds;
    AString FindPattern;  // GBK
    AString WorkText;
    // The folder of the find dialog's history (ending in a separator); empty: ModuleFolder.
    std::string FindHistoryFolder;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static bool ShiftDown();
    bool OnKeyDown(WPARAM key, LPARAM lParam);
    void ScrollLineKeepingCaret(bool down);
    void ShowContextMenu(POINT client);
    void PutBytes(const AString& text, int codePage, bool selection, bool keepUndo);
    std::u16string Units();  // the whole text as UTF-16, paragraph ends as CR
    AString UnitsIn(int start, int end, int codePage);
    bool IsChineseUnit(int unit);
    void NotifyParent(UINT message);

    const CDictTop* lexicon_;
    bool insertPending_ = false;  // a format set on an empty selection
    PaneCharFormat insertFormat_;
    bool menuFromKeyboard_ = false;
};
