#include "ui/gdi.h"

ClipboardOpen::ClipboardOpen(HWND owner, DWORD patienceMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        open_ = OpenClipboard(owner) != FALSE;
        if (open_) return;
        const DWORD waited = GetTickCount() - start;
        if (waited >= patienceMs) return;
        // Sleeps up to 10 ms, waking for sent messages, which PeekMessage then delivers.
        const DWORD pause = patienceMs - waited < 10 ? patienceMs - waited : 10;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, pause, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}
