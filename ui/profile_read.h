#pragma once
// Reading one value of a private-profile (INI) file, as the platform's
// GetPrivateProfileStringA does it. Implemented by profile_read_win.cpp (the
// platform function) and profile_read_posix.cpp (the same rules, for the
// native tests and tools).
//
// Section and key match without regard to ASCII case; blanks around keys and
// values are ignored and a value enclosed in a pair of matching quotes loses
// them. A missing file, section or key gives `def` without its trailing
// blanks. The result holds at most bufferSize - 1 bytes (bufferSize below 1
// gives the empty string).
#include "text/astring.h"

AString ReadProfileString(const char* section, const char* key, const char* def, int bufferSize, const char* file);
