#include "tests/support/string_bytes.h"

std::string Bytes(const AString& s) { return std::string(s.GetString(), static_cast<std::size_t>(s.GetLength())); }

std::u16string Units(const AString& s) {
    return std::u16string(s.WideData(), static_cast<std::size_t>(s.GetLength() / 2));
}

AString FromBytes(std::string_view bytes) { return AString::FromBytes(bytes.data(), static_cast<int>(bytes.size())); }
