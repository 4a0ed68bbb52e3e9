#include "speech/speech_sync.h"

// Raising the priority needs privileges here; the urgent stop works without.
int RaiseThreadPriority() { return 0; }
void RestoreThreadPriority(int) {}
