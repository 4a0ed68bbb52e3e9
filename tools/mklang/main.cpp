// mklang CODEPAGE SOURCE OUTPUT: writes a user-interface strings file from its
// UTF-8 source in the code page the program reads it with (936 or 1252),
// with CR LF line ends. Fails, naming the line, when the source is not
// UTF-8 or a character has no exact form in the code page.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "text/codepage.h"
#include "text/utf8.h"

namespace {

bool Encode(int codePage, const std::u16string& units, std::string& out) {
    if (units.empty()) return true;
    int n = Utf16ToMultiByte(codePage, units.data(), static_cast<int>(units.size()), nullptr, 0);
    if (n <= 0) return false;
    out.assign(static_cast<std::size_t>(n), '\0');
    Utf16ToMultiByte(codePage, units.data(), static_cast<int>(units.size()), out.data(), n);
    std::u16string back(static_cast<std::size_t>(n) * 2, u'\0');
    int m = MultiByteToUtf16(codePage, out.data(), n, back.data(), static_cast<int>(back.size()));
    back.resize(m > 0 ? static_cast<std::size_t>(m) : 0);
    return back == units;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: mklang CODEPAGE SOURCE OUTPUT\n");
        return 2;
    }
    const int codePage = std::atoi(argv[1]);
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mklang: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string line, out;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        std::string encoded;
        if (!IsValidUtf8(line) || !Encode(codePage, Utf8ToUnits(line), encoded)) {
            std::fprintf(stderr, "%s:%d: not representable in code page %d\n", argv[2], number, codePage);
            return 1;
        }
        out += encoded + "\r\n";
    }
    std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
    file << out;
    return file.good() ? 0 : 1;
}
