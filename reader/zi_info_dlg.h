#pragma once
// The reader window "VirAz Information": the text in an editable pane and,
// under or beside it, the information pane rebuilt from the text at every
// change: the report of a single word or character, else the text word by
// word with pinyin and definitions. It speaks its text, selects the word
// being spoken and keeps its entry highlighted in the information pane.
#include <windows.h>

#include <vector>

#include "lexicon/info_pane_content.h"
#include "reader/play_btns.h"
#include "reader/torvi_edit_ctrl.h"
#include "text/astring.h"
#include "ui/buttons.h"
#include "ui/chn_dlg.h"

class CZiInfoDlg;

// The open reader windows, the newest last: each pushes its handle when set
// up and removes the last entry when destroyed.
extern std::vector<HWND> ReaderStack;

inline constexpr int ID_READER_NESTED = 32897;  // "VirAz Information..." of a pane's context menu
inline constexpr int kPopupUnset = -999;

class CZiInfoDlg : public CChnDlg, public SplitterListener {
public:
    // templateId 0 means the small template.
    CZiInfoDlg(int templateId, HWND owner);
    ~CZiInfoDlg() override;

    // The text pane's content as UTF-16; empty while the window is set up or closed.
    AString CurrentText();

    int RefreshReader(bool allowAutoSpeak);
    // Rebuilds the information pane from the text pane: 0 when the text is too short.
    int BuildInfoPane();
    void SyncInfoToText(int q);
    // The start (in bytes) of the word holding byte offset b of the text, or -1.
    int WordStartOf(int byteOffset) const;
    void Speak(int action);
    void OnSpeechDone();
    void OpenNestedReader();
    void LayoutLarge();
    void OnSplitterDrag(int dx, int dy) override;

    CTorviEditCtrl TextEdit;
    CTorviEditCtrl InfoEdit;
    CPlayBtns SpeakButton;
    CSplitterBtn Splitter;

    bool IsLarge = false;
    bool LayoutSuspended = true;
    bool InSetup = false;
    double SplitRatioStacked = 0.6;
    double SplitRatioSideBySide = 0.56;
    AString Text;  // GBK
    std::vector<typWordPos> WordMap;
    int SpeakBase = 0;
    int InfoHighlight[2]{0, 0};
    int SavedSelection[2]{0, 0};
    POINT PopupPoint{kPopupUnset, kPopupUnset};
    RECT InitialRects[3]{};  // window, text pane, information pane (screen)
    AString ChineseFace;
    double TextPaneRatio = 0.5;
    bool ShowPinyin = true;
    bool ShowingPlaceholder = false;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();
    void PlaceNextToPopupPoint();
    void ShowSyncControls();
    void ShowRate();
    void SpeakSelection();
    void SetButtonBitmap(int id, int bitmap);
    bool OverlapsInfoPane(int id) const;
    InfoPaneStyle Style() const;
    void ReadTextPane(AString& out, int codePage);

    std::vector<Gdi<HBITMAP>> bitmaps_;
    int textTop_ = 0;
    int readingText_ = 0;  // client y of the text pane in the template
};
