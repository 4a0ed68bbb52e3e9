// Starts Zhorvan.exe, waits until its toolbar window is visible and its
// user-interface thread answers (after the lexicon has loaded), prints what it
// saw, ends the program with the toolbar's Shutdown command and waits for it.
//   dist_probe [--leave] <Zhorvan.exe> [seconds to wait for the toolbar]
//   dist_probe --find
// Exit status: 0 the toolbar showed and the program ended by itself with exit
// code 0; 1 it could not be started; 2 no toolbar; 3 it did not end (killed).
// --leave leaves the program running once its toolbar answers. --find: 0 when
// a Zhorvan toolbar exists, else 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/toolbar.h"

namespace {

constexpr int kShutdown = 57768;


}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--find") {
        const bool found = FindWindowA(kToolbarClass, kToolbarTitle) != nullptr;
        std::printf("probe: %s\n", found ? "a toolbar is there" : "no toolbar");
        return found ? 0 : 1;
    }
    const bool leave = argc > 1 && std::string(argv[1]) == "--leave";
    if (leave) {
        argc--;
        argv++;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: dist_probe [--leave] <Zhorvan.exe> [seconds] | --find\n");
        return 1;
    }
    const DWORD limit = (argc > 2 ? std::atoi(argv[2]) : 40) * 1000u;
    std::string command = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("probe: cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    const DWORD start = GetTickCount();
    HWND toolbar = nullptr;
    bool answered = false;
    while (GetTickCount() - start < limit) {
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        if (!toolbar) toolbar = FindToolbarOf(pi.dwProcessId);
        DWORD_PTR result;
        if (toolbar && IsWindowVisible(toolbar) &&
            SendMessageTimeoutA(toolbar, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result)) {
            answered = true;
            break;
        }
        Sleep(20);
    }
    int status = 0;
    if (answered) {
        RECT r{};
        GetWindowRect(toolbar, &r);
        std::printf("probe: toolbar %ldx%ld at %ld,%ld, answering after %lu ms\n", r.right - r.left,
                    r.bottom - r.top, r.left, r.top, GetTickCount() - start);
        if (leave) {
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
            return 0;
        }
        PostMessageA(toolbar, WM_COMMAND, kShutdown, 0);
    } else {
        std::printf("probe: no toolbar answered within %lu ms\n", limit);
        status = 2;
    }
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) {
        std::printf("probe: the program did not end; killed\n");
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        status = 3;
    } else {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        std::printf("probe: the program ended with exit code %lu\n", code);
        if (status == 0 && code != 0) status = 3;
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return status;
}
