#pragma once
// The calling thread's message loop for Windows tests.
#include <chrono>
#include <functional>

// Takes, translates and dispatches the thread's messages, sleeping in between
// until a message arrives, until `done` returns true or `deadline` has passed.
// True when `done` returned true. A WM_QUIT stops the loop and is posted
// again for the caller's own loop.
bool PumpMessagesUntil(std::function<bool()> done, std::chrono::milliseconds deadline);
