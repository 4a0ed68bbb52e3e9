#include "lexicon/reading_files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "lexicon_test_util.h"

using namespace std::string_literals;

namespace {

const CharKey kZhong = MakeCharKey(0xD6, 0xD0);  // 中
const CharKey kXing = MakeCharKey(0xD0, 0xD0);   // 行
const CharKey kA = MakeCharKey(0xB0, 0xA1);      // 啊

}  // namespace

TEST(ReadingFiles, DataFilePathJoinsWithOneSeparator) {
#ifdef _WIN32
    const std::string sep = "\\";
#else
    const std::string sep = "/";
#endif
    EXPECT_EQ("data" + sep + "ch2py.bin", DataFilePath("data", kGbReadingFile));
    EXPECT_EQ("data/ch2py.bin", DataFilePath("data/", kGbReadingFile));
    EXPECT_EQ("C:\\app\\ch2py.bin", DataFilePath("C:\\app\\", kGbReadingFile));
    EXPECT_EQ("ch2py.bin", DataFilePath("", kGbReadingFile));
}

TEST(ReadingFiles, ToneMaskAndOrder) {
    EXPECT_EQ(0x0A, MakeToneMask({2, 4}));
    EXPECT_EQ(0x0A, MakeToneMask({4, 2, 4}));
    EXPECT_EQ(0x1F, MakeToneMask({1, 2, 3, 4, 5}));
    EXPECT_EQ(0x04, MakeToneMask({0, 6, 3, -1}));
    EXPECT_EQ(0x00, MakeToneMask({}));
    EXPECT_EQ(0x14, MakeToneOrder({4, 2}));
    EXPECT_EQ(0x0A, MakeToneOrder({2, 1}));
    EXPECT_EQ(1 | 2 << 3 | 3 << 6 | 4 << 9 | 5 << 12, MakeToneOrder({1, 2, 3, 4, 5, 1}));  // five fields at most
    EXPECT_EQ(0x03, MakeToneOrder({0, 3, 7}));
    EXPECT_EQ(0x00, MakeToneOrder({}));
}

// The writers produce exactly the documented bytes, and the readers give the
// records back.
TEST(ReadingFiles, WritersProduceTheFormatsAndReadersInvertThem) {
    ScratchFolder dir;
    const std::vector<ToneReadingRecord> masks = {
        {kZhong, {"zhog"}, {0x0A}, 1},
        {kXing, {"xig", "hag"}, {0x02, 0x06}, 0},
    };
    const std::vector<ToneReadingRecord> orders = {{kXing, {"hang", ""}, {0x0114, 0x0003}, 2}};
    const std::vector<GbReadingRecord> gb = {{kA, {"a"}}, {kZhong, {"zhong", "zho"}}, {kXing, {}}};
    ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneMaskFile), masks, false));
    ASSERT_TRUE(WriteToneReadingFile(dir.File(kToneOrderFile), orders, true));
    ASSERT_TRUE(WriteGbReadingFile(dir.File(kGbReadingFile), gb));

    EXPECT_EQ(
        "\0\0\0\0\x02\0"s
        "\xD6\xD0\x01\x04zhog\x0A\x01"
        "\xD0\xD0\x02\x03xig\x02\x03hag\x06\x00"s,
        ReadBytes(dir.File(kToneMaskFile)));
    EXPECT_EQ(
        "\0\0\0\0\x01\0"s
        "\xD0\xD0\x02\x04hang\x14\x01\x00\x03\x00\x02"s,
        ReadBytes(dir.File(kToneOrderFile)));
    EXPECT_EQ(
        "\x03\0"s
        "\xB0\xA1\x01\0\x01\0\0\0a"s
        "\xD6\xD0\x02\0\x05\0\0\0zhong\x03\0\0\0zho"s
        "\xD0\xD0\0\0"s,
        ReadBytes(dir.File(kGbReadingFile)));

    std::vector<ToneReadingRecord> toneBack;
    std::vector<GbReadingRecord> gbBack;
    EXPECT_EQ(ReadStatus::Ok, ReadToneReadingFile(dir.File(kToneMaskFile), false, toneBack));
    EXPECT_EQ(masks, toneBack);
    EXPECT_EQ(ReadStatus::Ok, ReadToneReadingFile(dir.File(kToneOrderFile), true, toneBack));
    EXPECT_EQ(orders, toneBack);
    EXPECT_EQ(ReadStatus::Ok, ReadGbReadingFile(dir.File(kGbReadingFile), gbBack));
    EXPECT_EQ(gb, gbBack);
}

// Counts of 0xFFFF and more take the escape: 0xFFFF, then a u32.
TEST(ReadingFiles, GbCountEscapeRoundTrips) {
    ScratchFolder dir;
    const std::string path = dir.File(kGbReadingFile);
    for (size_t n : {size_t{0xFFFE}, size_t{0xFFFF}, size_t{70000}}) {
        std::vector<GbReadingRecord> records(n);
        for (size_t i = 0; i < n; i++) records[i] = {static_cast<CharKey>(i), {i % 2 ? "a" : ""}};
        ASSERT_TRUE(WriteGbReadingFile(path, records));
        std::string bytes = ReadBytes(path);
        std::string head =
            n < 0xFFFF ? "\xFE\xFF"s
                       : "\xFF\xFF"s + std::string(1, char(n & 0xFF)) + char(n >> 8 & 0xFF) + char(n >> 16) + '\0';
        EXPECT_EQ(head, bytes.substr(0, head.size())) << n;
        std::vector<GbReadingRecord> back;
        EXPECT_EQ(ReadStatus::Ok, ReadGbReadingFile(path, back));
        EXPECT_TRUE(records == back) << n;
    }
    // A reading count of 0xFFFF inside an entry.
    std::vector<GbReadingRecord> wide = {{kA, std::vector<std::string>(0xFFFF, "yi")}};
    ASSERT_TRUE(WriteGbReadingFile(path, wide));
    EXPECT_EQ("\x01\0\xB0\xA1\xFF\xFF\xFF\xFF\0\0\x02\0\0\0yi"s, ReadBytes(path).substr(0, 16));
    std::vector<GbReadingRecord> back;
    EXPECT_EQ(ReadStatus::Ok, ReadGbReadingFile(path, back));
    EXPECT_TRUE(wide == back);
}

// What a format cannot hold is refused before anything is written; the
// limits themselves are accepted.
TEST(ReadingFiles, WritersRefuseWhatTheFormatCannotHold) {
    ScratchFolder dir;
    const std::string longest(255, 'n'), tooLong(256, 'n');
    struct ToneCase {
        const char* what;
        std::vector<ToneReadingRecord> records;
        bool ordered;
        bool ok;
    };
    const std::vector<ToneCase> toneCases = {
        {"six readings", {{kA, {"a", "b", "c", "d", "e", "f"}, {1, 2, 4, 8, 16, 1}, 0}}, false, true},
        {"seven readings", {{kA, {"a", "b", "c", "d", "e", "f", "g"}, {1, 1, 1, 1, 1, 1, 1}, 0}}, false, false},
        {"255 bytes", {{kA, {longest}, {1}, 0}}, true, true},
        {"256 bytes", {{kA, {tooLong}, {1}, 0}}, true, false},
        {"tone data missing", {{kA, {"a", "b"}, {1}, 0}}, false, false},
        {"mask over 8 bits", {{kA, {"a"}, {0x100}, 0}}, false, false},
        {"order of 16 bits", {{kA, {"a"}, {0xFFFF}, 0}}, true, true},
        {"65535 entries", std::vector<ToneReadingRecord>(65535), false, true},
        {"65536 entries", std::vector<ToneReadingRecord>(65536), false, false},
    };
    for (const ToneCase& c : toneCases) {
        std::string path = dir.File(kToneMaskFile);
        std::remove(path.c_str());
        EXPECT_EQ(c.ok, WriteToneReadingFile(path, c.records, c.ordered)) << c.what;
        EXPECT_EQ(c.ok, Exists(path)) << c.what;
        std::vector<ToneReadingRecord> back;
        if (c.ok) {
            EXPECT_EQ(ReadStatus::Ok, ReadToneReadingFile(path, c.ordered, back)) << c.what;
            EXPECT_TRUE(c.records == back) << c.what;
        }
    }
    std::string gbPath = dir.File(kGbReadingFile);
    EXPECT_TRUE(WriteGbReadingFile(gbPath, {{kA, {longest}}}));
    std::remove(gbPath.c_str());
    EXPECT_FALSE(WriteGbReadingFile(gbPath, {{kA, {"a"}}, {kZhong, {"zhong", tooLong}}}));
    EXPECT_FALSE(Exists(gbPath));

    // A folder that does not exist.
    EXPECT_FALSE(WriteGbReadingFile(DataFilePath(dir.File("missing"), kGbReadingFile), {}));
    EXPECT_FALSE(WriteToneReadingFile(DataFilePath(dir.File("missing"), kToneMaskFile), {}, false));
}

TEST(ReadingFiles, MissingFileIsMissing) {
    ScratchFolder dir;
    std::vector<ToneReadingRecord> tone = {{kA, {"a"}, {1}, 0}};
    std::vector<GbReadingRecord> gb = {{kA, {"a"}}};
    EXPECT_EQ(ReadStatus::Missing, ReadToneReadingFile(dir.File(kToneMaskFile), false, tone));
    EXPECT_EQ(ReadStatus::Missing, ReadGbReadingFile(dir.File(kGbReadingFile), gb));
    EXPECT_TRUE(tone.empty());
    EXPECT_TRUE(gb.empty());
}
