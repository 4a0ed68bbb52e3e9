#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "text/gbk_bytes.h"
// GBK to Big5. Character codes here are DoubleByteCode values, lead byte in
// the high 8 bits: 中, GBK bytes D6 D0, is 0xD6D0.
//
// gbk2b5.bin, the table: exactly 48132 bytes, 126 rows (GBK lead bytes
// 0x81..0xFE) of 191 entries (trail bytes 0x40..0xFE, 0x7F included), each
// entry the 2 bytes of a Big5 code, lead byte first. An entry whose first byte
// is below 0x80 means no Big5 form.

inline constexpr const char* kBig5TableFile = "gbk2b5.bin";
inline constexpr int kBig5TableRows = 126;
inline constexpr int kBig5TableRowEntries = 191;
inline constexpr int kBig5TableSize = kBig5TableRows * kBig5TableRowEntries * 2;  // 48132
inline constexpr DoubleByteCode kBig5WhiteSquare{0xA1BC};                         // the answer without a form

// Byte offset of the entry of a GBK code; -1 when the code has no slot.
int Big5TableOffset(DoubleByteCode gbk);

// Writing the table (the data builder). A fresh table has no entries;
// SetBig5TableEntry fails for a code without a slot or a table of the wrong
// size. WriteBig5Table writes exactly kBig5TableSize bytes, or nothing.
std::vector<std::uint8_t> NewBig5Table();
bool SetBig5TableEntry(std::vector<std::uint8_t>& table, DoubleByteCode gbk, DoubleByteCode big5);
bool WriteBig5Table(const std::string& path, const std::vector<std::uint8_t>& table);

// The process-wide table. LoadBig5Table reads gbk2b5.bin from the data folder
// and replaces the table; a missing file or one of the wrong size leaves no
// table, is reported through the data-file hook (once for the same problem in
// a row) and gives false. Load and release while no conversion runs.
bool LoadBig5Table(const std::string& dataFolder);
void ReleaseBig5Table();
bool IsBig5TableLoaded();
DoubleByteCode Big5TableEntry(DoubleByteCode gbk);  // the stored entry; 0 without table or slot

// The Big5 code of GBK character c, given its neighbours (code 0 where there
// is none): context rules for 系係 槃 后後 里 面 麺 注註 赞讚 first, then the table.
// Without a form (c not a GBK pair, no entry) the result is 0xA1BC (□) and
// *found is false.
DoubleByteCode GbkToBig5(DoubleByteCode c, DoubleByteCode prev = {}, DoubleByteCode prev2 = {},
                         DoubleByteCode next = {}, DoubleByteCode next2 = {}, bool* found = nullptr);
