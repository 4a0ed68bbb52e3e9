#pragma once
// The application object: start-up in its fixed order, the message loop, and
// the exit that writes the settings and the toolbar position back.
#include <windows.h>

#include <memory>

#include "lexicon/dict.h"
#include "speech/notify_target.h"
#include "speech/voice.h"

class CMainFrame;

class CMdiApp {
public:
    // The whole start-up and the message loop: 0 when start-up failed or
    // another instance runs, 1 after the loop ended.
    int AppStart(HINSTANCE instance);
    // Writes the settings and the toolbar position and destroys the windows
    // (only when the toolbar exists); returns the exit code.
    int AppExit();
    // True when the message was consumed before its window saw it.
    bool AppPreTranslate(MSG& message);

    // The voices of the speech engine; null: the system's SAPI voices.
    VoiceSystem* Voices = nullptr;
    // The toolbar is shown and the lexicon loaded; the message loop runs next.
    DWORD StartedTick = 0;

private:
    void CreateWindows(int left, int top);
    void ConfigureSpeechEngine();
    void MessageLoop();

    HINSTANCE instance_ = nullptr;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<VoiceSystem> sapi_;
    std::unique_ptr<NotifyTarget> notify_;
    int exitCode_ = 0;
};

extern CMdiApp TheApp;
// The lexicon object, loaded at start-up and read-only afterwards.
extern CDict TheDict;
// The user-interface thread.
extern DWORD UiThreadId;
// Loads the polyphone model on the first call; call before ContextReadings
// becomes 1 (UI thread).
void EnsurePolyphoneModel();

// Toolbar position of start-up: a stored edge off the screen is moved back on.
POINT ClampToolbarPosition(int left, int top, const RECT& screen);
