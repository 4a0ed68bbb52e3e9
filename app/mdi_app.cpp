#include "app/mdi_app.h"

#include <string>

#include "app/about_dlg.h"
#include "app/capture.h"
#include "app/environment.h"
#include "app/requests.h"
#include "app/settings.h"
#include "app/splash_wnd.h"
#include "app/startup_picture.h"
#include "app/sys_opt.h"
#include "app/toolbar.h"
#include "app/speech_attach.h"
#include "app/speech_opt.h"
#include "res/resource_ids.h"
#include "rules/polyphone_model.h"
#include "speech/speech_engine.h"
#include "text/data_file.h"
#include "text/big5.h"
#include "ui/glyph_text.h"
#include "ui/info_pane.h"
#include "ui/msg_box.h"
#include "ui/ui_strings.h"

namespace {
// Loaded once, before ContextReadings first becomes 1; read-only afterwards.
PolyphoneModel ThePolyphoneModel;
bool PolyphoneModelTried = false;
}  // namespace

void EnsurePolyphoneModel() {
    // The speech thread reads the model only while ContextReadings is 1, so it
    // is written here, on the UI thread, before the setting is switched on, and
    // only once: a second load could race a scan that still runs.
    if (PolyphoneModelTried) return;
    PolyphoneModelTried = true;
    std::string error;  // a missing or damaged model leaves words and rules
    ThePolyphoneModel.Load(DataFilePath(ModuleFolder, kPolyphoneModelFile), error);
}

CMdiApp TheApp;
CDict TheDict;
DWORD UiThreadId = 0;

POINT ClampToolbarPosition(int left, int top, const RECT& screen) {
    const int width = screen.right - screen.left, height = screen.bottom - screen.top;
    if (left < 0 || left >= width - 10) left = width - 40;
    if (top < 0 || top >= height - 8) top = height - 40;
    return {left, top};
}

int CMdiApp::AppStart(HINSTANCE instance) {
    instance_ = instance;
    ShowStartupPicture(instance);
    LocateFolders();
    const int defaultLanguage = DetectSystemLanguage();
    CreateSettingsFileIfMissing();
    if (const HWND running = FindWindowA(kToolbarClass, kToolbarTitle)) {
        SendMessageA(running, WM_COMMAND, IDM_SHOW_TOOLBAR, 0);
        DestroyStartupPicture();
        return 0;
    }
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    if (FAILED(OleInitialize(nullptr))) {
        ShowMessage(AString("IDP_OLE_INIT_FAILED"), MB_OK, false, -1, nullptr);
        DestroyStartupPicture();
        return 0;
    }
    ReadStartupSettings(defaultLanguage);
    if (!RegisterToolbarClasses(instance)) {
        DestroyStartupPicture();
        return 0;
    }
    ChooseUiStringFile();
    LoadBig5Table(ModuleFolder);
    ReadToolbarPosition(ScreenRect(true));
    const POINT at = ClampToolbarPosition(AppSettings.Left, AppSettings.Top, ScreenRect(true));
    AppSettings.Left = at.x;
    AppSettings.Top = at.y;
    ReadStartupFlags();
    SetToolbarDialog(IDD_SYSTEM_OPTIONS, RunSystemOptions);
    SetToolbarDialog(IDM_ABOUT, RunAboutBox);
    SetToolbarDialog(IDD_SPEECH_OPTIONS, RunSpeechOptions);
    CreateWindows(at.x, at.y);
    {
        HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
        TheDict.InitOnce(ModuleFolder);
        TheDict.LoadLexicon(ModuleFolder);
        if (AppSettings.ContextReadings == 1) EnsurePolyphoneModel();
        SetCursor(old);
    }
    StartedTick = GetTickCount();
    DestroyStartupPicture();
    if (!AppSettings.NoStopAtUsageDlgOnStart) RunWelcome();
    MessageLoop();
    return 1;
}

void CMdiApp::CreateWindows(int left, int top) {
    CreateStatusLine(instance_);
    frame_ = std::make_unique<CMainFrame>();
    const HWND toolbar = CreateToolbarWindow(instance_, left, top);
    frame_->Attach(toolbar);
    CreateSharedFonts();
    UpdateLoopCheck();
    SetWindowTextA(toolbar, kToolbarTitle);
    AddTrayIcon();
    UiThreadId = GetCurrentThreadId();
    CreateTipWindow(instance_);
    UpdateLoopCheck();
    SetCaptureToolbar(toolbar);
    ConfigureSpeechEngine();
    ShowToolbar();
}

void CMdiApp::ConfigureSpeechEngine() {
    if (!Voices) {
        sapi_ = CreateSystemVoices();
        Voices = sapi_.get();
    }
    notify_ = CreateWindowNotifyTarget();
    SpeechEngineConfig config;
    config.Voices = Voices;
    config.Notify = notify_.get();
    config.MainWnd = reinterpret_cast<WindowId>(ToolbarWindow);
    config.Dict = &TheDict;
    config.Model = &ThePolyphoneModel;
    config.Settings = AppSpeechSettings();
    TheSpeechEngine(&config);
}

void CMdiApp::MessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (AppPreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    exitCode_ = static_cast<int>(message.wParam);
}

bool CMdiApp::AppPreTranslate(MSG& message) {
    if (message.message == WM_PAINT) return false;
    const HWND pane = InfoPane().PaneWindow;
    if ((message.message == WM_KEYDOWN || message.message == WM_LBUTTONDOWN) && pane && IsWindowVisible(pane) &&
        message.hwnd != pane) {
        HideInfoPane();
        return true;
    }
    return false;
}

int CMdiApp::AppExit() {
    if (!ToolbarWindow) return exitCode_;
    SaveSettings();
    RECT r{};
    if (GetWindowRect(ToolbarWindow, &r)) WriteToolbarPosition(r.left, r.top);
    RemoveTrayIcon();
    if (TipWindow) DestroyWindow(TipWindow);
    DestroyWindow(ToolbarWindow);
    if (StatusWindow) DestroyWindow(StatusWindow);
    UnregisterToolbarClasses(instance_);
    ReleaseSharedFonts();
    if (frame_) frame_->Detach();
    frame_.reset();
    return exitCode_;
}
