#include "reader/zi_info_dlg.h"

#include <richedit.h>

#include <algorithm>

#include "app/mdi_app.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "speech/speech_engine.h"
#include "text/gbk_bytes.h"
#include "ui/glyph_text.h"
#include "ui/ui_strings.h"

std::vector<HWND> ReaderStack;

namespace {

constexpr char kPlaceholder[] =
    "<Paste Chinese text here, please>\n\n\n\n(Normal usage: first, select Chinese text in an App (e.g., a web "
    "page), then click the right-side button on the small Zhorvan control bar. Then the selected text should be "
    "automatically copied into this window.\nIf this does not automatically happen (for certain Apps), then please "
    "manually copy/paste the Chinese text here)";

SpeechEngine& Engine() { return TheSpeechEngine(); }

WindowId IdOf(HWND hwnd) { return reinterpret_cast<WindowId>(hwnd); }

RECT ClientRectOf(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void Place(HWND hwnd, int x, int y, int w, int h) {
    SetWindowPos(hwnd, nullptr, x, y, std::max(0, w), std::max(0, h), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The code page of the interface language's strings.
int UiCodePage() {
    const int language = AppSettings.UILanguage;
    return language == 1 || language == 2 ? kCodePageGbk : kCodePageWestern;
}

void SetCheck(HWND button, int state) { SendMessageW(button, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0); }
int IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }

}  // namespace

CZiInfoDlg::CZiInfoDlg(int templateId, HWND owner)
    : CChnDlg(templateId == 0 ? IDD_READER_SMALL : templateId, owner),
      TextEdit(&TheDict),
      InfoEdit(&TheDict) {
    IsLarge = (templateId == IDD_READER_LARGE);
    ReaderPlayState = 0;
}

CZiInfoDlg::~CZiInfoDlg() {
    if (Hwnd()) DestroyWindow(Hwnd());
}

AString CZiInfoDlg::CurrentText() {
    AString wide;
    if (!Hwnd() || LayoutSuspended || InSetup || !TextEdit.Hwnd()) return wide;
    ReadTextPane(wide, 1200);
    return wide;
}

void CZiInfoDlg::ReadTextPane(AString& out, int codePage) {
    // Reading selects the whole text for a moment: no synchronisation meanwhile.
    ++readingText_;
    TextEdit.GetText(out, codePage);
    --readingText_;
}

InfoPaneStyle CZiInfoDlg::Style() const {
    InfoPaneStyle style;
    style.labels.uiLanguage = AppSettings.UILanguage;
    style.labels.translate = [](const AString& english) { return TranslateUiText(english); };
    style.chineseFace = ChineseFace.GetString();
    style.showPinyin = ShowPinyin;
    return style;
}

void CZiInfoDlg::SetButtonBitmap(int id, int bitmap) {
    const HWND button = Item(id);
    if (!button) return;
    Gdi<HBITMAP> picture(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    if (!picture) return;
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.Get()));
    bitmaps_.push_back(std::move(picture));
}

BOOL CZiInfoDlg::OnInitDialog() {
    LayoutSuspended = true;
    InSetup = true;
    CChnDlg::OnInitDialog();
    const HWND hwnd = Hwnd();
    WordMap.clear();
    WordMap.reserve(200);
    ReaderStack.push_back(hwnd);

    const HWND text = Item(IDC_TEXT_PANE), info = Item(IDC_INFO_PANE);
    TextEdit.Attach(text);
    AddChild(text, TextEdit);
    InfoEdit.Attach(info);
    AddChild(info, InfoEdit);
    SpeakButton.Attach(*this, Item(IDC_SPEAK));
    if (IsLarge && Item(IDC_SPLITTER)) {
        Splitter.Attach(*this, Item(IDC_SPLITTER));
        Splitter.Listener = this;
    }

    SendMessageW(text, EM_SETBKGNDCOLOR, 0, RGB(252, 252, 255));
    TextEdit.SetDefaultTextColour(RGB(43, 52, 95));
    TextEdit.NotifyChange = 1;
    TextEdit.PasteReplacesEmpty = 1;
    TextEdit.Initialise(1);
    SendMessageW(info, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    AStringArray names;
    names.Add(AString("VirAz Information..."));
    names.Add(AString("Find..."));
    const std::vector<DWORD> ids{ID_READER_NESTED, ID_EDIT_FIND};
    TextEdit.SetContextItems(names, ids);
    InfoEdit.SetContextItems(names, ids);

    SetButtonBitmap(IDC_SPEECH_SYNC, IDB_SPEECH_SYNC);
    SetButtonBitmap(IDC_LOOP, IDB_LOOP);
    if (IsLarge) {
        SetButtonBitmap(IDC_LAYOUT_VERT, IDB_LAYOUT_VERT);
        SetButtonBitmap(IDOK, IDB_CLOSE);
        SetButtonBitmap(IDC_RATE_DOWN, IDB_RATE_DOWN);
        SetButtonBitmap(IDC_RATE_UP, IDB_RATE_UP);
        SetButtonBitmap(IDC_RATE_ICON, IDB_RATE);
    }
    SetCheck(Item(IDC_SPEECH_SYNC), AppSettings.SoundPaySyncWord_Dialog);
    SetCheck(Item(IDC_LOOP), AppSettings.SoundPlayLoop);
    SetCheck(Item(IDC_LAYOUT_VERT), AppSettings.LayVert);
    ShowRate();

    GetWindowRect(hwnd, &InitialRects[0]);
    GetWindowRect(text, &InitialRects[1]);
    GetWindowRect(info, &InitialRects[2]);
    const int textHeight = Height(InitialRects[1]), infoHeight = Height(InitialRects[2]);
    TextPaneRatio = textHeight + infoHeight > 0 ? static_cast<double>(textHeight) / (textHeight + infoHeight) : 0.5;
    textTop_ = ClientRectOf(hwnd, text).top;

    if (GbFaceList.empty()) {
        ChineseFace = AString("Courier New");
    } else {
        const std::wstring& face = GbFaceList.front().face;
        ChineseFace = AString(reinterpret_cast<const char16_t*>(face.c_str()), static_cast<int>(face.size()));
        ChineseFace.ToNarrow(kCodePageGbk);
    }

    if (!Text.IsEmpty()) {
        TextEdit.SetText(Text, false, 12, kCodePageGbk, false);
    } else {
        ShowingPlaceholder = true;
        AString help = UiString(1010);
        if (help.IsEmpty() || help == AString("1010")) help = AString(kPlaceholder);
        help.Replace("\\n", "\n\n");
        TextEdit.SetText(help, false, 12, UiCodePage(), false);
        TextEdit.HasPlaceholder = 1;
    }
    ShowSyncControls();

    const HANDLE big = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0,
                                  LR_DEFAULTSIZE | LR_SHARED);
    const HANDLE small = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    TextEdit.Select(0, 0);
    SetFocus(text);

    if (IsLarge) {
        ShowPinyin = ReadSettingInt("Config", "ShowPinyin", 0) != 0;
        SetCheck(Item(IDC_SHOW_PINYIN), ShowPinyin);
    } else {
        ShowPinyin = true;
        SpeakButton.CellCount = 2;
    }
    SetCheck(Item(IDC_AUTO_SPEAK), ReadSettingInt("Config", "AutoSpeak", 0));
    SetWindowPos(info, text, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    LayoutSuspended = false;
    LayoutLarge();
    Layout();
    if (!ShowingPlaceholder) RefreshReader(true);
    PlaceNextToPopupPoint();
    ShowStatus(AString());
    InSetup = false;
    return FALSE;
}

void CZiInfoDlg::PlaceNextToPopupPoint() {
    if (PopupPoint.x <= -10) return;
    RECT window;
    GetWindowRect(Hwnd(), &window);
    const int w = Width(window), h = Height(window);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromPoint(PopupPoint, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    // Right of and below the point, else on its other side; always inside the work area.
    int x = PopupPoint.x + 45, y = PopupPoint.y + 34;
    if (x + w > work.right) x = PopupPoint.x - w - 10;
    if (y + h > work.bottom) y = PopupPoint.y - h - 10;
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - w));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - h));
    SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CZiInfoDlg::ShowSyncControls() {
    const bool show = Text.GetLength() >= 3 && !(IsLarge && OverlapsInfoPane(IDC_SPEECH_SYNC));
    ShowWindow(Item(IDC_SPEECH_SYNC), show ? SW_SHOWNA : SW_HIDE);
    const bool label = Text.GetLength() >= 3 && !(IsLarge && OverlapsInfoPane(IDC_SYNC_LABEL));
    ShowWindow(Item(IDC_SYNC_LABEL), label ? SW_SHOWNA : SW_HIDE);
}

void CZiInfoDlg::ShowRate() {
    if (!Item(IDC_SPEED_VALUE)) return;
    AString value;
    value.Format("%d", static_cast<int>(AppSettings.SoundPlaySpeed) + 10);
    CChnDlg::SetItemText(IDC_SPEED_VALUE, value, false);
}

int CZiInfoDlg::RefreshReader(bool allowAutoSpeak) {
    if (LayoutSuspended) return 0;
    if (!InSetup) {
        Engine().Signal(SC_STOP);
        ReaderPlayState = 0;
        InvalidateRect(SpeakButton.Hwnd(), nullptr, FALSE);
    }
    const int built = BuildInfoPane();
    if (built && allowAutoSpeak && ReadSettingInt("Config", "AutoSpeak", 0)) {
        SetCheck(Item(IDC_AUTO_SPEAK), 1);
        ReaderPlayState = 1;
        InvalidateRect(SpeakButton.Hwnd(), nullptr, FALSE);
        if (InSetup) Sleep(200);
        Speak(0);
    }
    ShowSyncControls();
    return built;
}

int CZiInfoDlg::BuildInfoPane() {
    const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    InfoEdit.SetText(AString(), false, -1, kCodePageGbk, true);
    SendMessageW(InfoEdit.Hwnd(), EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    InfoHighlight[0] = InfoHighlight[1] = 0;
    ReadTextPane(Text, kCodePageGbk);
    const int result = FillInfoPane(InfoEdit, TheDict, Text, Style(), WordMap);
    InfoEdit.Select(0, 0);
    SetCursor(previous);
    return result;
}

void CZiInfoDlg::SyncInfoToText(int q) {
    if (WordMap.empty() || InfoEdit.GetTextLength() == 0) return;
    const auto it = std::upper_bound(WordMap.begin(), WordMap.end(), q,
                                     [](int value, const typWordPos& r) { return value < r.TextFirst; });
    if (it == WordMap.begin()) return;
    const typWordPos& record = *(it - 1);
    if (!(record.TextFirst <= q && q < record.TextEnd)) return;
    const HWND info = InfoEdit.Hwnd();
    if (InfoHighlight[0] < InfoHighlight[1]) {
        InfoEdit.Select(InfoHighlight[0], InfoHighlight[1]);
        InfoEdit.SetBackColour(RGB(255, 255, 255), false);
    }
    InfoHighlight[0] = record.InfoStart;
    InfoHighlight[1] = record.InfoEnd;
    InfoEdit.Select(record.InfoStart, record.InfoEnd);
    InfoEdit.SetBackColour(RGB(255, 255, 0), false);
    // The caret at the entry, so that the yellow is not covered by the selection colour.
    InfoEdit.Select(record.InfoStart, record.InfoStart);

    const int firstVisible = static_cast<int>(SendMessageW(info, EM_GETFIRSTVISIBLELINE, 0, 0));
    const int line = static_cast<int>(SendMessageW(info, EM_EXLINEFROMCHAR, 0, record.InfoStart));
    POINT before{}, after{};
    SendMessageW(info, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
    if (!(GetKeyState(VK_LBUTTON) & 0x8000) && Engine().GetState() < SC_STOP) {
        const HWND focus = GetFocus();
        SetFocus(info);
        SendMessageW(info, EM_SCROLLCARET, 0, 0);
        if (focus) SetFocus(focus);
    } else {
        SendMessageW(info, EM_SCROLLCARET, 0, 0);
    }
    SendMessageW(info, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
    if (line > firstVisible && after.y != before.y)
        SendMessageW(info, EM_LINESCROLL, 0, line - firstVisible > 2 ? 2 : 1);
}

int CZiInfoDlg::WordStartOf(int byteOffset) const {
    const int c = byteOffset / 2;
    for (const typWordPos& r : WordMap) {
        if (c < r.TextFirst) return -1;
        if (c < r.TextEnd) return r.TextFirst * 2;
    }
    return -1;
}

void CZiInfoDlg::SpeakSelection() {
    int start = 0, end = 0;
    TextEdit.GetSelection(start, end);
    AString selected;
    TextEdit.GetSelectedText(selected, 1200);
    if (!selected.IsWide()) selected.ToWide(kCodePageGbk);
    const char16_t* units = selected.WideData();
    const int count = selected.GetCharCount();
    int skip = 0;
    while (skip < count && (units[skip] == u' ' || units[skip] == u'\t' || units[skip] == u'\r' ||
                            units[skip] == u'\n' || units[skip] == 0x3000))
        ++skip;
    SpeakBase = start + skip;
    if (count - skip < 1) return;
    Engine().SpeakText(AString(units + skip, count - skip), IdOf(Hwnd()));
}

void CZiInfoDlg::Speak(int action) {
    SpeechEngine& engine = Engine();
    engine.StartEngine();
    const bool quitting = engine.GetState() == SC_QUIT;
    switch (action) {
        case 0: {
            TextEdit.GetSelection(SavedSelection[0], SavedSelection[1]);
            if (SavedSelection[0] == SavedSelection[1] || SavedSelection[0] >= TextEdit.GetTextLength()) {
                TextEdit.Select(0, -1);
                SavedSelection[0] = SavedSelection[1] = 0;
            }
            SpeakSelection();
            break;
        }
        case 1: {
            TextEdit.GetSelection(SavedSelection[0], SavedSelection[1]);
            TextEdit.Select(SavedSelection[0], -1);
            SpeakSelection();
            break;
        }
        case 2:
            // A stop reports no end of speech: the selection and highlight come back here.
            if (!quitting) engine.Signal(SC_STOP);
            OnSpeechDone();
            break;
        case 3:
            if (!quitting) engine.Signal(SC_PAUSE);
            break;
        case 4:
            if (quitting) break;
            engine.SetSyncResume(AppSettings.SoundPaySyncWord_Dialog != 0);
            engine.Signal(AppSettings.SoundPaySyncWord_Dialog ? SC_REQUEUE : SC_GO);
            break;
        case 5:
            if (quitting) break;
            engine.SetSyncResume(false);
            engine.Signal(SC_REQUEUE);
            break;
    }
}

void CZiInfoDlg::OnSpeechDone() {
    ReaderPlayState = 0;
    InvalidateRect(SpeakButton.Hwnd(), nullptr, FALSE);
    TextEdit.Select(SavedSelection[0], SavedSelection[1]);
    if (InfoHighlight[0] < InfoHighlight[1]) {
        InfoEdit.Select(InfoHighlight[0], InfoHighlight[1]);
        InfoEdit.SetBackColour(RGB(255, 255, 255), false);
        InfoEdit.Select(InfoHighlight[0], InfoHighlight[0]);
    }
    if (Engine().GetState() < SC_STOP) SetFocus(TextEdit.Hwnd());
}

void CZiInfoDlg::OpenNestedReader() {
    CTorviEditCtrl& pane = GetFocus() == TextEdit.Hwnd() ? TextEdit : InfoEdit;
    CZiInfoDlg nested(IDD_READER_SMALL, Hwnd());
    pane.SelectionOrCaretText(nested.Text, true);
    if (nested.Text.IsWide()) nested.Text.ToNarrow(kCodePageGbk);
    // The pane's own selection, kept apart from the speech's saved one.
    int saved[2]{0, 0};
    pane.GetSelection(saved[0], saved[1]);
    nested.PopupPoint = pane.CaretScreenPoint();
    OnSpeechDone();
    nested.DoModal();
    SetCheck(Item(IDC_SPEECH_SYNC), AppSettings.SoundPaySyncWord_Dialog);
    SetCheck(Item(IDC_LOOP), AppSettings.SoundPlayLoop);
    pane.Select(saved[0], saved[1]);
}

bool CZiInfoDlg::OverlapsInfoPane(int id) const {
    const HWND control = Item(id);
    if (!control) return false;
    RECT a, b, both;
    GetWindowRect(control, &a);
    GetWindowRect(InfoEdit.Hwnd(), &b);
    return IntersectRect(&both, &a, &b) != 0;
}

void CZiInfoDlg::Layout() {
    if (LayoutSuspended) return;
    const HWND hwnd = Hwnd();
    RECT client;
    GetClientRect(hwnd, &client);
    if (IsLarge) {
        const bool enough = Text.GetLength() >= 3;
        ShowWindow(Item(IDC_SYNC_LABEL), enough && !OverlapsInfoPane(IDC_SYNC_LABEL) ? SW_SHOWNA : SW_HIDE);
        for (const int id : {IDC_SPEECH_SYNC, IDC_LOOP})
            ShowWindow(Item(id), enough && !OverlapsInfoPane(id) ? SW_SHOWNA : SW_HIDE);
        ShowWindow(Item(IDOK), OverlapsInfoPane(IDOK) ? SW_HIDE : SW_SHOWNA);
        return;
    }
    // Margins and gaps of the template, in client coordinates.
    const RECT& w = InitialRects[0];
    const RECT& t0 = InitialRects[1];
    const RECT& i0 = InitialRects[2];
    const int gap = i0.top - t0.bottom;
    const int m = i0.left - t0.left + (t0.left - w.left) - GetSystemMetrics(SM_CXSIZEFRAME);
    const int below = w.bottom - i0.bottom - GetSystemMetrics(SM_CYSIZEFRAME);
    const int available = Height(client) - textTop_ - gap - below;
    const int textHeight = static_cast<int>(available * TextPaneRatio);
    const RECT text = ClientRectOf(hwnd, TextEdit.Hwnd());
    Place(TextEdit.Hwnd(), text.left, textTop_, Width(client) - 2 * text.left, textHeight);
    Place(InfoEdit.Hwnd(), std::max(m, 0), textTop_ + textHeight + gap, Width(client) - 2 * std::max(m, 0),
          available - textHeight);

    const RECT close = ClientRectOf(hwnd, Item(IDOK));
    const int top = Height(client) - Height(close) - gap;
    const RECT loop = ClientRectOf(hwnd, Item(IDC_LOOP));
    const RECT sync = ClientRectOf(hwnd, Item(IDC_SPEECH_SYNC));
    const RECT label = ClientRectOf(hwnd, Item(IDC_SYNC_LABEL));
    const RECT autoSpeak = ClientRectOf(hwnd, Item(IDC_AUTO_SPEAK));
    int x = gap;
    Place(Item(IDC_LOOP), x, top, Width(loop), Height(loop));
    x += Width(loop) + gap;
    Place(Item(IDC_SPEECH_SYNC), x, top, Width(sync), Height(sync));
    x += Width(sync) + gap;
    Place(Item(IDC_SYNC_LABEL), x, top + 2, Width(label), Height(label));
    x += Width(label) + gap;
    Place(Item(IDC_AUTO_SPEAK), x, top + Height(label) / 5, Width(autoSpeak), Height(autoSpeak));
    Place(Item(IDOK), Width(client) - gap / 2 - Width(close), top, Width(close), Height(close));
    // The "VirAz" label keeps to the right edge, as far in as the text pane.
    if (const HWND label175 = Item(IDC_READER_LABEL)) {
        const RECT r = ClientRectOf(hwnd, label175);
        Place(label175, Width(client) - text.left - Width(r), r.top, Width(r), Height(r));
    }
    ShowSyncControls();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CZiInfoDlg::LayoutLarge() {
    if (!IsLarge || LayoutSuspended) return;
    RECT client;
    GetClientRect(Hwnd(), &client);
    const int cw = Width(client), ch = Height(client), top = textTop_;
    const HWND splitter = Splitter.Hwnd();
    if (!AppSettings.LayVert) {
        const int info = static_cast<int>((ch - top) * SplitRatioStacked);
        const int text = ch - top - info;
        Place(TextEdit.Hwnd(), 0, top, cw, text);
        Place(InfoEdit.Hwnd(), 0, top + text, cw, info);
        if (splitter) Place(splitter, (cw - 250) / 2, top + text - 2, 250, 5);
    } else {
        const int info = static_cast<int>(cw * SplitRatioSideBySide);
        const int text = cw - info;
        Place(TextEdit.Hwnd(), 0, top, text, ch - top);
        Place(InfoEdit.Hwnd(), text, top, info, ch - top);
        if (splitter) Place(splitter, text - 2, top + (ch - top - 250) / 2, 5, 250);
    }
    if (splitter) {
        SetWindowPos(splitter, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        InvalidateRect(splitter, nullptr, TRUE);
    }
}

void CZiInfoDlg::OnSplitterDrag(int dx, int dy) {
    RECT client;
    GetClientRect(Hwnd(), &client);
    if (!AppSettings.LayVert) {
        if (std::abs(dy) < 3 || Height(client) <= 0) return;
        SplitRatioStacked = std::clamp((SplitRatioStacked * Height(client) - dy) / Height(client), 0.0, 1.0);
    } else {
        if (std::abs(dx) < 3 || Width(client) <= 0) return;
        SplitRatioSideBySide = std::clamp((SplitRatioSideBySide * Width(client) - dx) / Width(client), 0.0, 1.0);
    }
    LayoutLarge();
}

bool CZiInfoDlg::OnCommand(int id, int code, HWND control) {
    SpeechEngine& engine = Engine();
    switch (id) {
        case ID_SPEECH_DONE: OnSpeechDone(); return true;
        case IDC_SPEAK:
            if (control == SpeakButton.Hwnd()) Speak(SpeakButton.SpeakAction);
            return true;
        case IDC_SPEECH_SYNC:
            AppSettings.SoundPaySyncWord_Dialog = IsChecked(control);
            engine.Signal(SC_STOP);
            return true;
        case IDC_LOOP: AppSettings.SoundPlayLoop = IsChecked(control); return true;
        case IDC_LAYOUT_VERT:
            AppSettings.LayVert = IsChecked(control);
            if (IsLarge) LayoutLarge();
            return true;
        case IDC_RATE_DOWN:
        case IDC_RATE_UP: {
            const int speed = AppSettings.SoundPlaySpeed;
            if (id == IDC_RATE_DOWN ? speed <= -10 : speed >= 10) return true;
            AppSettings.SoundPlaySpeed = std::clamp(speed + (id == IDC_RATE_DOWN ? -2 : 2), -10, 10);
            engine.SetRate(AppSettings.SoundPlaySpeed);
            ShowRate();
            return true;
        }
        case IDC_SHOW_PINYIN:
            ShowPinyin = !ShowPinyin;
            WriteSettingInt("Config", "ShowPinyin", ShowPinyin ? 1 : 0);
            SendMessageW(Hwnd(), WM_COMMAND, ID_SPEECH_DONE, 0);
            engine.StopAndWaitUrgent();
            BuildInfoPane();
            return true;
        case IDC_AUTO_SPEAK: WriteSettingInt("Config", "AutoSpeak", IsChecked(control)); return true;
        case ID_READER_NESTED: OpenNestedReader(); return true;
        case ID_EDIT_FIND: {
            CTorviEditCtrl& pane = GetFocus() == InfoEdit.Hwnd() ? InfoEdit : TextEdit;
            pane.OpenFind();
            return true;
        }
    }
    return CChnDlg::OnCommand(id, code, control);
}

LRESULT CZiInfoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_EDIT_CHANGED:
            if (static_cast<int>(wParam) == IDC_TEXT_PANE && !InSetup) {
                ShowingPlaceholder = false;
                RefreshReader(false);
            }
            return 0;
        case WM_EDIT_LBUTTONUP:
            if (static_cast<int>(wParam) == IDC_TEXT_PANE && ReaderPlayState != 1) {
                int s = 0, e = 0;
                TextEdit.GetSelection(s, e);
                SyncInfoToText(s);
            }
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_TEXT_PANE && header->code == EN_SELCHANGE && ReaderPlayState != 1 &&
                !LayoutSuspended && !readingText_) {
                SyncInfoToText(reinterpret_cast<const SELCHANGE*>(lParam)->chrg.cpMin);
                return 0;
            }
            break;
        }
        case WM_SPEECH_WORD: {
            // A word posted before a stop arrives late: it is not shown.
            if (ReaderPlayState == 0) return 0;
            const int start = static_cast<int>(wParam) + SpeakBase, end = static_cast<int>(lParam) + SpeakBase;
            TextEdit.Select(start, end);
            if (AppSettings.SoundPaySyncWord_Dialog) SyncInfoToText(start);
            return 0;
        }
        case WM_SPEECH_WORDSTART: return WordStartOf(static_cast<int>(wParam));
        case WM_SIZE: {
            const LRESULT result = CChnDlg::OnMessage(message, wParam, lParam);
            Layout();
            if (IsLarge && !LayoutSuspended && !InSetup) LayoutLarge();
            return result;
        }
        case WM_DESTROY: {
            SendMessageW(Hwnd(), WM_COMMAND, ID_SPEECH_DONE, 0);
            SpeechEngine& engine = Engine();
            engine.StopAndWaitUrgent();
            if (engine.GetNotifyWnd() == IdOf(Hwnd())) engine.SetNotifyWnd(0);
            const LRESULT result = CChnDlg::OnMessage(message, wParam, lParam);
            // A newer request may have popped this window's entry already.
            const auto own = std::find(ReaderStack.rbegin(), ReaderStack.rend(), Hwnd());
            if (own != ReaderStack.rend()) ReaderStack.erase(std::next(own).base());
            return result;
        }
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}
