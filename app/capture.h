#pragma once
// Capture of the text selected in another application: the application is made
// to copy its selection (WM_COPY, or the Ctrl+Insert keystroke), the clipboard
// is read as UTF-16 and its earlier contents are put back. User-interface
// thread only; the caller must not be between a mouse press and its release
// (attaching input there loses the release under Wine).
#include <windows.h>

#include "text/astring.h"

// Capture targets: the user's foreground window at the last request or popup
// menu (never the toolbar), the focus and the active window of its thread.
extern HWND TargetWindow, TargetFocus, TargetActive;

enum class CopyMethod { Message, Keystroke };

// The way the window `focus` is made to copy, from its class and that of its
// top-level window; `refuse`: it is not asked at all. `repaint`: the focus
// window is invalidated after the copy.
struct CopyChoice {
    bool refuse = false;
    CopyMethod method = CopyMethod::Keystroke;
    bool repaint = false;
};
CopyChoice ChooseCopyMethod(HWND focus);
// The same from the class names (rootClass null when the focus window is its
// own top-level window) and the top-level window's title.
CopyChoice ChooseCopyMethod(const char* focusClass, const char* rootClass, const char* rootTitle, bool isNT,
                            bool chineseSystem);

// The toolbar window: a capture while it is in front is refused with a beep.
void SetCaptureToolbar(HWND toolbar);

// Copies and reads the selection of `focus` (`foreground`: the user's
// foreground window, or null). 0 when there is no focus window or it is
// refused, else 1 whatever was read; `out` is the UTF-16 text (wide flag),
// empty when nothing was captured.
int CaptureSelection(HWND focus, HWND foreground, AString& out);

// Saves the clipboard, makes the foreground application copy (to `target`
// for Message; by the keystroke into its focus window, then by WM_COPY to
// `target` when the keystroke leaves nothing), reads the text and restores
// the clipboard. The byte count of `out`; 0, with the clipboard as it was,
// when the clipboard cannot be saved, the toolbar is in front (a beep) or the
// foreground thread's input cannot be attached. WM_COPY gives up on an
// application that does not answer within 2 s.
int CopyAndRead(AString& out, CopyMethod method, HWND target, HWND toolbar);
// How often the keystroke left nothing and WM_COPY was sent after it.
extern int CopyMessageFallbacks;

// Moves the clipboard's contents into the saved list and empties it; 0 when
// the clipboard could not be opened within 250 ms. Memory blocks are copied,
// bitmaps and metafiles duplicated; a format whose synthesised twin is already
// saved is left out. RestoreClipboard hands the saved list back in its order
// (nothing when it is empty: the copied text stays).
int SaveClipboard();
void RestoreClipboard();
int SavedClipboardCount();

// The clipboard's text as UTF-16: CF_UNICODETEXT, else CF_TEXT in the code page
// of CF_LOCALE (then `detectedCodePage`, else -1) or the fallback (950, else
// 936). Opening is tried again 120 ms later while fewer than `timeoutMs` have
// passed. The byte count of `out`, 0 when nothing was read.
int ReadClipboardText(int timeoutMs, AString& out, int fallbackCodePage, int& detectedCodePage);

// The code page of clipboard 8-bit text: that of the locale when one is given,
// else the fallback when it is 950, else 936.
int ClipboardTextCodePage(const LCID* locale, int fallbackCodePage);

// Waits `ms` while handling the messages sent to this thread.
void WaitHandlingSentMessages(DWORD ms);
