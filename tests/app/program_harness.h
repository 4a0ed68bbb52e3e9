#pragma once
// The program run in a test's process under Wine: started on a thread of its
// own with the simulated voices, jobs run on that thread through the toolbar,
// real pointer input from the X server, and Wine's notepad as the application
// to capture from.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "speech/simulated_voice.h"
#include "tests/support/scratch_folder.h"

using Clock = std::chrono::steady_clock;

// A command the toolbar received (besides the one that runs the jobs), with its tick.
struct Command {
    WPARAM id;
    LPARAM lParam;
    DWORD tick;
};
std::vector<Command> CommandsSoFar();
void ClearCommands();

// Runs `job` on the program's thread (inside a modal loop when one runs) and waits for it.
void OnApp(std::function<void()> job);
// Polls `done` until it holds (true) or `limit` has passed (false).
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
// The visible top-level windows of the process `pid`, in z-order.
std::vector<HWND> VisibleWindowsOf(DWORD pid);

// Real pointer input from the X server (xdotool, a Unix program Wine starts):
// under Wine, moves injected with SendInput while a button is held do not
// reach the window that captured the mouse.
void Xdo(const std::string& args);
void MoveTo(POINT screen);
enum : DWORD { kLeftDown = 1, kLeftUp, kRightDown, kRightUp };
void Button(DWORD action);
void Click(POINT screen, DWORD down = kLeftDown, DWORD up = kLeftUp);
// The pointer out of the way, below the test windows.
void Park();
// A client point of the toolbar, on the screen.
POINT ToolbarPoint(int x, int y);

struct ProgramOptions {
    POINT toolbar{600, 400};  // the stored toolbar position
    int eventDelayMs = 120;   // the simulated voices' delay of each word event
    std::vector<std::pair<const char*, int>> settings;  // more "Config" entries
    bool ownStrings = false;  // the shipped strings files in a scratch ModuleFolder
};

// AppStart and AppExit on a thread of their own, with the test's command hook.
class Program {
public:
    void Start(const ProgramOptions& options);
    void Stop();
    static SimulatedVoiceSystem& Voices();

private:
    std::thread thread_;
    ScratchFolder strings_{"zh_program_strings"};
};

// Wine's notepad on a UTF-16 file holding `text`, placed at `place`.
class Notepad {
public:
    Notepad(const std::u16string& text, RECT place);
    ~Notepad();
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    bool Ok() const { return top_ && edit_; }
    HWND Top() const { return top_; }
    HWND Edit() const { return edit_; }
    void Select(int start, int end) { SendMessageA(edit_, EM_SETSEL, start, end); }
    // Makes it the foreground window; false when it did not become it.
    bool Front();
    HWND FocusWindow() const;

private:
    HWND Find() const;
    ScratchFolder folder_{"zh_notepad"};
    PROCESS_INFORMATION pi_{};
    HWND top_ = nullptr, edit_ = nullptr;
};
