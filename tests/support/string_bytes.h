#pragma once
// Strings as standard containers, for comparisons and failure messages.
#include <string>
#include <string_view>

#include "text/astring.h"

// The bytes of a string (two per unit for UTF-16 text).
std::string Bytes(const AString& s);
// The UTF-16 units of a wide string.
std::u16string Units(const AString& s);
// A narrow AString holding exactly these bytes, NULs included.
AString FromBytes(std::string_view bytes);
