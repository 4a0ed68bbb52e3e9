// gbk2b5.bin: the loader on the input as it is, then on a table of the right
// size made from the input, with the conversion run over its entries.
#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "text/big5.h"
#include "text/gbk_bytes.h"

namespace {

// The result of a conversion is a Big5 code exactly when it was found.
void CheckConversion(DoubleByteCode c, DoubleByteCode prev, DoubleByteCode prev2, DoubleByteCode next,
                     DoubleByteCode next2) {
    bool found = true;
    const DoubleByteCode big5 = GbkToBig5(c, prev, prev2, next, next2, &found);
    FUZZ_CHECK(found ? (big5.value & 0x8000) != 0 : big5 == kBig5WhiteSquare);
}

DoubleByteCode CodeAt(std::string_view s, size_t i) {
    return i + 1 < s.size() ? DoubleByteCode(static_cast<unsigned char>(s[i]), static_cast<unsigned char>(s[i + 1]))
                            : DoubleByteCode();
}

constexpr DoubleByteCode kZhong{0xD6D0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view in = InputBytes(data, size);
    FuzzFolder& folder = FuzzFolder::Get();

    // The file as it is: loaded exactly when it has the table's size.
    folder.Put(kBig5TableFile, in);
    const bool exact = size == static_cast<size_t>(kBig5TableSize);
    FUZZ_CHECK(LoadBig5Table(folder.Path()) == exact && IsBig5TableLoaded() == exact);
    if (!exact) {
        FUZZ_CHECK(Big5TableEntry(kZhong) == DoubleByteCode());
        CheckConversion(kZhong, {}, {}, {}, {});
    }

    // A table of the right size, the input repeated; loaded twice.
    std::string table(static_cast<size_t>(kBig5TableSize), '\0');
    for (size_t i = 0; size && i < table.size(); i++) table[i] = in[i % size];
    folder.Put(kBig5TableFile, table);
    for (int round = 0; round < 2; round++) {
        FUZZ_CHECK(LoadBig5Table(folder.Path()) && IsBig5TableLoaded());
        for (unsigned lead = 0x81; lead <= 0xFE; lead++)
            for (unsigned trail = 0x40; trail <= 0xFE; trail++) {
                const auto gbk = DoubleByteCode(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
                const int at = Big5TableOffset(gbk);
                FUZZ_CHECK(at >= 0 && at + 1 < kBig5TableSize);
                FUZZ_CHECK(Big5TableEntry(gbk) ==
                           DoubleByteCode(static_cast<unsigned char>(table[static_cast<size_t>(at)]),
                                          static_cast<unsigned char>(table[static_cast<size_t>(at) + 1])));
            }
    }
    // The input read as GBK text, each code converted in its context.
    for (size_t i = 0; i + 1 < size; i += 2)
        CheckConversion(CodeAt(in, i), i >= 2 ? CodeAt(in, i - 2) : DoubleByteCode(),
                        i >= 4 ? CodeAt(in, i - 4) : DoubleByteCode(), CodeAt(in, i + 2), CodeAt(in, i + 4));

    ReleaseBig5Table();
    FUZZ_CHECK(!IsBig5TableLoaded() && Big5TableEntry(kZhong) == DoubleByteCode());
    return 0;
}
