// Damaged reading files: every parse runs on an exact-size heap copy, so a
// read past the end shows under AddressSanitizer; every delivered reading
// must lie inside the buffer, and only complete entries are delivered.
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lexicon/reading_files.h"
#include "lexicon_test_util.h"

using namespace std::string_literals;

namespace {

enum Format { kMasks, kOrders, kGb };
const char* const kFormatNames[] = {"ch2pypz1", "ch2pypz2", "ch2py"};

class ExactBuffer {
public:
    ExactBuffer(const std::string& bytes, size_t n) : data_(new char[n ? n : 1]), size_(n) {
        bytes.copy(data_.get(), n);
    }
    std::string_view View() const { return {data_.get(), size_}; }

private:
    std::unique_ptr<char[]> data_;
    size_t size_;
};

bool Inside(std::string_view buffer, std::string_view part) {
    auto b = reinterpret_cast<std::uintptr_t>(buffer.data()), p = reinterpret_cast<std::uintptr_t>(part.data());
    return part.empty() || (p >= b && p + part.size() <= b + buffer.size());
}

struct Parsed {
    ReadStatus status;
    std::vector<GbReadingRecord> entries;  // tone files: readings only, tone data in `tones`
    std::vector<std::vector<std::uint16_t>> tones;
};

Parsed Parse(Format f, const std::string& bytes, size_t n) {
    ExactBuffer buf(bytes, n);
    std::string_view all = buf.View();
    Parsed out;
    if (f == kGb) {
        out.status = ParseGbReadings(all, [&](CharKey key, const std::vector<std::string_view>& readings) {
            GbReadingRecord& r = out.entries.emplace_back();
            r.key = key;
            for (std::string_view s : readings) {
                EXPECT_TRUE(Inside(all, s));
                EXPECT_LE(s.size(), 255u);
                r.readings.emplace_back(s);
            }
        });
    } else {
        out.status = ParseToneReadings(all, f == kOrders, [&](const ToneReadingView& v) {
            EXPECT_GE(v.count, 0);
            EXPECT_LE(v.count, 6);
            GbReadingRecord& r = out.entries.emplace_back();
            r.key = v.key;
            for (int i = 0; i < v.count; i++) {
                EXPECT_TRUE(Inside(all, v.readings[i]));
                r.readings.emplace_back(v.readings[i]);
            }
            out.tones.emplace_back(v.toneData, v.toneData + v.count);
        });
    }
    return out;
}
Parsed Parse(Format f, const std::string& bytes) { return Parse(f, bytes, bytes.size()); }

// Three entries per format, and the file size after each whole entry.
class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<ToneReadingRecord> tone = {
            {MakeCharKey(0xD0, 0xD0), {"xig", "hag"}, {0x0A, 0x02}, 1},
            {MakeCharKey(0xD6, 0xD0), {"zhog"}, {0x09}, 1},
            {MakeCharKey(0xC1, 0xCB), {"le", "liao", "liu"}, {0x10, 0x04, 0x01}, 0},
        };
        const std::vector<GbReadingRecord> gb = {
            {MakeCharKey(0xB0, 0xA1), {"a"}},
            {MakeCharKey(0xD6, 0xD0), {"zhong", "zhog"}},
            {MakeCharKey(0xD0, 0xD0), {"xing", "hang"}},
        };
        for (int f = 0; f < 3; f++) {
            for (size_t k = 0; k <= 3; k++) {
                std::string path = dir.File("fixture.bin");
                bool ok = f == kGb ? WriteGbReadingFile(path, {gb.begin(), gb.begin() + k})
                                   : WriteToneReadingFile(path, {tone.begin(), tone.begin() + k}, f == kOrders);
                ASSERT_TRUE(ok);
                bytes[f] = ReadBytes(path);
                ends[f].push_back(bytes[f].size());
            }
            Parsed whole = Parse(Format(f), bytes[f]);
            ASSERT_EQ(ReadStatus::Ok, whole.status);
            ASSERT_EQ(3u, whole.entries.size());
            full[f] = whole.entries;
        }
    }

    // Expects `damaged` to give Damaged with exactly the first `kept` entries.
    void ExpectKept(Format f, const std::string& damaged, size_t kept, const std::string& what) {
        Parsed p = Parse(f, damaged);
        EXPECT_EQ(ReadStatus::Damaged, p.status) << kFormatNames[f] << ": " << what;
        EXPECT_TRUE(std::vector<GbReadingRecord>(full[f].begin(), full[f].begin() + kept) == p.entries)
            << kFormatNames[f] << ": " << what << ", " << p.entries.size() << " entries";
    }

    ScratchFolder dir;
    std::string bytes[3];
    std::vector<size_t> ends[3];  // ends[f][k]: size of the file holding the first k entries
    std::vector<GbReadingRecord> full[3];
};

}  // namespace

TEST_F(DamagedFiles, EveryTruncationKeepsTheCompleteEntries) {
    for (int f = 0; f < 3; f++) {
        for (size_t cut = 0; cut < bytes[f].size(); cut++) {
            size_t kept = 0;
            while (kept < 3 && ends[f][kept + 1] <= cut) kept++;
            ExpectKept(Format(f), bytes[f].substr(0, cut), kept, "cut at " + std::to_string(cut));
        }
    }
}

TEST_F(DamagedFiles, BlownUpCounts) {
    for (Format f : {kMasks, kOrders}) {
        std::string b = bytes[f];
        b[4] = b[5] = '\xFF';
        ExpectKept(f, b, 3, "entry count 0xFFFF");
    }
    const std::string gb = bytes[kGb], body = gb.substr(2);
    ExpectKept(kGb, "\xFF\xFF\xFF\xFF\xFF\xFF"s + body, 3, "entry count 0xFFFFFFFF");
    ExpectKept(kGb, "\xFF\xFF\x00\x00\x01\x00"s + body, 3, "entry count 0x10000");
    ExpectKept(kGb, "\x04\x00"s + body, 3, "entry count 4");
    Parsed escaped = Parse(kGb, "\xFF\xFF\x03\x00\x00\x00"s + body);
    EXPECT_EQ(ReadStatus::Ok, escaped.status);  // a small count may take the escape too
    EXPECT_TRUE(full[kGb] == escaped.entries);

    // Reading count of the second entry (the third entry's key then reads as
    // a length over 255) and of the last one (the bytes run out).
    for (size_t entry : {1, 2}) {
        const size_t count = ends[kGb][entry] + 2;
        for (const std::string& n :
             {"\xFF\xFF\xFF\xFF\xFF\xFF"s, "\xFF\xFF\x00\x00\x00\x40"s, "\xFE\xFF"s, "\x03\x00"s}) {
            std::string b = gb.substr(0, count) + n + gb.substr(count + 2);
            ExpectKept(kGb, b, entry,
                       "reading count of " + std::to_string(n.size()) + " bytes in entry " + std::to_string(entry));
        }
    }
}

TEST_F(DamagedFiles, ReadingLengthsPastTheEnd) {
    for (Format f : {kMasks, kOrders}) {
        for (size_t entry : {1, 2}) {
            std::string b = bytes[f];
            b[ends[f][entry] + 3] = '\xFF';  // first reading's length byte
            ExpectKept(f, b, entry, "length 255 in entry " + std::to_string(entry));
        }
    }
    const size_t length = ends[kGb][1] + 4;  // the second entry's first reading length
    for (std::uint32_t n : {200u, 256u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        std::string b = bytes[kGb];
        for (int i = 0; i < 4; i++) b[length + i] = static_cast<char>(n >> (8 * i));
        ExpectKept(kGb, b, 1, "reading length " + std::to_string(n));
    }
    // A reading of 256 bytes is refused even when all its bytes are there.
    const std::string entry = "\x01\x00\xB0\xA1\x01\x00"s;
    ExpectKept(kGb, entry + "\x00\x01\x00\x00"s + std::string(256, 'n'), 0, "reading of 256 bytes");
    Parsed longest = Parse(kGb, entry + "\xFF\x00\x00\x00"s + std::string(255, 'n'));
    EXPECT_EQ(ReadStatus::Ok, longest.status);
    ASSERT_EQ(1u, longest.entries.size());
    EXPECT_EQ(std::vector<std::string>{std::string(255, 'n')}, longest.entries[0].readings);
}

// A tone record has six tone slots: a larger reading count is damage even
// when the bytes that follow would hold the readings.
TEST_F(DamagedFiles, ToneReadingCountsAboveSix) {
    for (Format f : {kMasks, kOrders}) {
        for (int n = 7; n <= 255; n++) {
            std::string b = bytes[f];
            b[ends[f][1] + 2] = static_cast<char>(n);
            ExpectKept(f, b, 1, "reading count " + std::to_string(n));
        }
        std::string seven = "\0\0\0\0\x01\0\xB0\xA1\x07"s;
        for (int i = 0; i < 7; i++)
            seven += f == kOrders ? "\x01"
                                    "a\x01\x00"s
                                  : "\x01"
                                    "a\x01"s;
        ExpectKept(f, seven + '\0', 0, "seven well-formed readings");
    }
}

// Random byte mutations and cuts: no read outside the buffer, no entry beyond
// the limits, and an intact parse delivers the declared count.
TEST_F(DamagedFiles, RandomMutationsStayInsideTheBuffer) {
    std::mt19937 rng(20240611);
    const unsigned char special[] = {0x00, 0x01, 0x06, 0x07, 0x7F, 0x80, 0xFE, 0xFF};
    for (int f = 0; f < 3; f++) {
        for (int iter = 0; iter < 4000; iter++) {
            std::string b = bytes[f];
            int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; e++) {
                size_t pos = rng() % b.size();
                b[pos] = static_cast<char>(rng() % 2 ? special[rng() % sizeof special] : rng() & 0xFF);
            }
            size_t n = rng() % 4 == 0 ? rng() % (b.size() + 1) : b.size();
            Parsed p = Parse(Format(f), b, n);
            if (p.status == ReadStatus::Ok && f != kGb && n >= 6) {
                size_t declared = static_cast<unsigned char>(b[4]) | static_cast<unsigned char>(b[5]) << 8;
                EXPECT_EQ(declared, p.entries.size());
            }
            if (HasFailure()) FAIL() << kFormatNames[f] << " iteration " << iter;
        }
    }
}
