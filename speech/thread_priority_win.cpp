#include <windows.h>

#include "speech/speech_sync.h"

int RaiseThreadPriority() {
    const int previous = GetThreadPriority(GetCurrentThread());
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    return previous == THREAD_PRIORITY_ERROR_RETURN ? THREAD_PRIORITY_NORMAL : previous;
}

void RestoreThreadPriority(int previous) { SetThreadPriority(GetCurrentThread(), previous); }
