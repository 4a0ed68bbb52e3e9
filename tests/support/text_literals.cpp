#include "tests/support/text_literals.h"

#include <ios>

#include "text/gbk.h"
#include "text/utf8.h"

AString Gbk(std::string_view utf8) { return GbkFromUtf8(utf8); }

std::string GbkBytes(std::string_view utf8) {
    const AString gbk = GbkFromUtf8(utf8);
    return std::string(gbk.GetString(), static_cast<std::size_t>(gbk.GetLength()));
}

std::u16string Utf16(std::string_view utf8) { return Utf8ToUnits(utf8); }

CharKey Key(std::string_view utf8) {
    const AString gbk = GbkFromUtf8(utf8);
    if (gbk.GetLength() != 2 || !IsGbkPair(static_cast<unsigned char>(gbk[0]), static_cast<unsigned char>(gbk[1])))
        return 0;
    return CharKeyAt(gbk);
}

void PrintTo(DoubleByteCode code, std::ostream* os) {
    const std::ios_base::fmtflags flags = os->flags();
    *os << "0x" << std::hex << std::uppercase << code.value;
    os->flags(flags);
}
