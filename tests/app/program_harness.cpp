#include "tests/app/program_harness.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

#include "app/environment.h"
#include "app/mdi_app.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "res/resource_ids.h"
#include "text/big5.h"
#include "ui/ui_strings.h"

using namespace std::chrono_literals;

namespace {

constexpr WPARAM kRunJobs = 0xE0F0;  // a command the toolbar does not know: runs the queued jobs

std::mutex LogLock;
std::vector<Command> Commands;
std::vector<std::function<void()>> Jobs;

void Hook(WPARAM id, LPARAM lParam) {
    if (id == kRunJobs) {
        std::vector<std::function<void()>> jobs;
        {
            std::lock_guard<std::mutex> hold(LogLock);
            jobs.swap(Jobs);
        }
        for (auto& job : jobs) job();
        return;
    }
    std::lock_guard<std::mutex> hold(LogLock);
    Commands.push_back({id, lParam, GetTickCount()});
}

}  // namespace

std::vector<Command> CommandsSoFar() {
    std::lock_guard<std::mutex> hold(LogLock);
    return Commands;
}

void ClearCommands() {
    std::lock_guard<std::mutex> hold(LogLock);
    Commands.clear();
}

void OnApp(std::function<void()> job) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    {
        std::lock_guard<std::mutex> hold(LogLock);
        Jobs.push_back([job, done] {
            job();
            done->set_value();
        });
    }
    PostMessageA(ToolbarWindow, WM_COMMAND, kRunJobs, 0);
    ASSERT_EQ(finished.wait_for(10s), std::future_status::ready);
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) return false;
        Sleep(5);
    }
    return true;
}

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid && IsWindowVisible(w)) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Xdo(const std::string& args) {
    std::string command = "Z:\\usr\\bin\\xdotool " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA("Z:\\usr\\bin\\xdotool", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        ADD_FAILURE() << "xdotool could not be started";
        return;
    }
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

void MoveTo(POINT p) {
    Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
    Sleep(60);
}

void Button(DWORD action) {
    static const char* const args[] = {"", "mousedown 1", "mouseup 1", "mousedown 3", "mouseup 3"};
    Xdo(args[action]);
    Sleep(60);
}

void Click(POINT p, DWORD down, DWORD up) {
    MoveTo(p);
    Button(down);
    Button(up);
}

void Park() { MoveTo({20, 900}); }

POINT ToolbarPoint(int x, int y) {
    POINT p{x, y};
    ClientToScreen(ToolbarWindow, &p);
    return p;
}

// ---- Program ----

void Program::Start(const ProgramOptions& o) {
    LocateFolders();
    DetectSystemLanguage();
    // Every test program starts from the first-run settings: the test binaries
    // share one prefix, and what one leaves behind (a dialog's OK) must not
    // change another's program.
    DeleteFileA(SettingsFile);
    CreateSettingsFileIfMissing();
    WriteSettingInt("Config", "NoStopAtUsageDlgOnStart", 1);
    WriteSettingInt("Config", "UILanguage", 0);
    WriteSettingInt("Config", "SoundPlayLoop", 0);
    for (const auto& [key, value] : o.settings) WriteSettingInt("Config", key, value);
    WriteToolbarPosition(o.toolbar.x, o.toolbar.y);
    SimulatedVoiceOptions voice;
    voice.Pace = SimulatedPace::Timed;
    voice.EventDelayMs = o.eventDelayMs;
    Voices().SetOptions(voice);
    TheApp.Voices = &Voices();
    SetToolbarCommandHook(Hook);
    thread_ = std::thread([] {
        TheApp.AppStart(GetModuleHandleW(nullptr));
        TheApp.AppExit();
    });
    ASSERT_TRUE(WaitUntil([] { return TheApp.StartedTick != 0 && ToolbarWindow; }, 30s));
    // The program reads the Big5 table beside its executable; most test
    // binaries' folders hold no data.
    OnApp([] {
        if (!IsBig5TableLoaded()) LoadBig5Table(ZH_DATA_DIR);
    });
    if (!o.ownStrings) {
        OnApp([] { ChooseUiStringFile(); });
        return;
    }
    for (const char* name : {"TesmarelUI.ini", "TesmarelUI_German.ini", "TesmarelUI_en.ini"})
        std::filesystem::copy_file(std::filesystem::path(ZH_DATA_DIR) / name,
                                   std::filesystem::path(strings_.Path()) / name);
    OnApp([this] {
        std::strcpy(ModuleFolder, (strings_.Path() + "\\").c_str());
        ChooseUiStringFile();
    });
}

void Program::Stop() {
    if (ToolbarWindow) PostMessageA(ToolbarWindow, WM_COMMAND, IDM_SHUTDOWN, 0);
    if (thread_.joinable()) thread_.join();
}

SimulatedVoiceSystem& Program::Voices() {
    static SimulatedVoiceSystem voices(SimulatedStandardTokens());
    return voices;
}

// ---- Notepad ----

Notepad::Notepad(const std::u16string& text, RECT place) {
    const std::string path = folder_.File("text.txt");
    std::ofstream out(path, std::ios::binary);
    out.write("\xFF\xFE", 2);
    out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
    out.close();
    std::string command = "notepad.exe \"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
    WaitForInputIdle(pi_.hProcess, 10000);
    WaitUntil([this] { return (top_ = Find()) != nullptr; }, 10s);
    if (!top_) return;
    edit_ = FindWindowExA(top_, nullptr, "Edit", nullptr);
    MoveWindow(top_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

Notepad::~Notepad() {
    if (pi_.hProcess) {
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
}

bool Notepad::Front() {
    SetForegroundWindow(top_);
    return WaitUntil([this] { return GetForegroundWindow() == top_; }, 3s);
}

HWND Notepad::FocusWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(pi_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

HWND Notepad::Find() const {
    struct Search {
        DWORD pid;
        HWND found;
    } search{pi_.dwProcessId, nullptr};
    EnumWindows(
        [](HWND w, LPARAM l) -> BOOL {
            auto* s = reinterpret_cast<Search*>(l);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == s->pid && IsWindowVisible(w) && !GetWindow(w, GW_OWNER)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}
