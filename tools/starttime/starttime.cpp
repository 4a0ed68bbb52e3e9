// Start-up time of the program: starts it a number of times and reports, for
// each run, the milliseconds until its toolbar is visible and until its
// user-interface thread first answers a message, which it does only after
// the lexicon is loaded (start-up runs on that thread and does not pump
// messages before its loop, so set NoStopAtUsageDlgOnStart to keep the
// welcome window out of the figure). Each run is ended with the toolbar's
// Shutdown command.
//   starttime <path of Zhorvan.exe> [runs]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/toolbar.h"

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}


}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: starttime <Zhorvan.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int run = 0; run < runs; run++) {
        std::string command = std::string("\"") + argv[1] + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        LARGE_INTEGER start, shown{}, answered{}, now;
        QueryPerformanceCounter(&start);
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::fprintf(stderr, "starttime: cannot start %s\n", argv[1]);
            return 1;
        }
        HWND toolbar = nullptr;
        for (;;) {
            QueryPerformanceCounter(&now);
            if (Ms(start, now, frequency) > 120000) break;
            if (!toolbar) toolbar = FindToolbarOf(pi.dwProcessId);
            if (toolbar && !shown.QuadPart && IsWindowVisible(toolbar)) shown = now;
            DWORD_PTR result;
            if (shown.QuadPart && SendMessageTimeoutA(toolbar, WM_NULL, 0, 0, SMTO_NORMAL, 5, &result)) {
                QueryPerformanceCounter(&answered);
                break;
            }
            Sleep(1);
        }
        std::printf("run %d: toolbar shown %.0f ms, lexicon loaded (first answer) %.0f ms\n", run + 1,
                    shown.QuadPart ? Ms(start, shown, frequency) : -1.0,
                    answered.QuadPart ? Ms(start, answered, frequency) : -1.0);
        if (toolbar) PostMessageA(toolbar, WM_COMMAND, 57768, 0);
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        Sleep(500);
    }
    return 0;
}
