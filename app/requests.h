#pragma once
// What a click on the toolbar asks for: speak the selection of the user's
// application, pause or stop that speech, or capture it for the reader.
// User-interface thread only; every wait keeps processing messages.
#include <windows.h>

#include "text/astring.h"

// The toolbar's own speech: playing, paused.
extern int ToolbarSpeaking;
extern int ToolbarPaused;

class CZiInfoDlg;

enum class RequestKind { Speech, Reader };

// Reader requests: the text waiting for open readers to close, whether to
// open it once the current reader returns, whether open readers were closed
// by a newer request, and the reader window being run.
extern AString PendingText;
extern int PendingFlag;
extern int ReRunPending;
extern int ReadersClosed;
extern CZiInfoDlg* CurrentReader;

inline constexpr int kCompactReaderBytes = 50;  // longer texts open the large reader

inline constexpr int kCaptureRetries = 6;     // re-posts of a request that captured nothing
inline constexpr DWORD kRetryWaitMs = 200;    // wait before each re-posted capture
inline constexpr LPARAM kRetryBase = 1000;    // lParam of a re-posted reader request: 1000 + attempt

void SpeakRequest();
void PauseRequest();
void StopRequest();
void ReaderRequest(LPARAM lParam);
int DispatchRequest(RequestKind kind, bool retry, int attempt);

// Waits `ms` milliseconds while dispatching the thread's messages.
void WaitPumping(DWORD ms);
