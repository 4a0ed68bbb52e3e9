#include "lexicon/reading_files.h"

#include <cstdio>

#include "lexicon/byte_io.h"

std::uint8_t MakeToneMask(const std::vector<int>& tones) {
    unsigned mask = 0;
    for (int t : tones)
        if (t >= 1 && t <= 5) mask |= 1u << (t - 1);
    return static_cast<std::uint8_t>(mask);
}

std::uint16_t MakeToneOrder(const std::vector<int>& tones) {
    unsigned order = 0;
    int fields = 0;
    for (int t : tones)
        if (t >= 1 && t <= 5 && fields < 5) order |= static_cast<unsigned>(t) << (3 * fields++);
    return static_cast<std::uint16_t>(order);
}

bool WriteToneReadingFile(const std::string& path, const std::vector<ToneReadingRecord>& records, bool ordered) {
    if (records.size() > 0xFFFF) return false;
    ByteWriter w;
    w.U32(0);  // header bytes, ignored by readers
    w.U16(static_cast<unsigned>(records.size()));
    for (const ToneReadingRecord& r : records) {
        size_t n = r.readings.size();
        if (n > kMaxToneReadings || r.toneData.size() != n) return false;
        w.U16(r.key);
        w.U8(static_cast<unsigned>(n));
        for (size_t i = 0; i < n; i++) {
            if (r.readings[i].size() > kMaxReadingBytes || (!ordered && r.toneData[i] > 0xFF)) return false;
            w.U8(static_cast<unsigned>(r.readings[i].size()));
            w.Bytes(r.readings[i]);
            ordered ? w.U16(r.toneData[i]) : w.U8(r.toneData[i]);
        }
        w.U8(r.commonFlags);
    }
    return WriteFileBytes(path, w.str());
}

bool WriteGbReadingFile(const std::string& path, const std::vector<GbReadingRecord>& records) {
    ByteWriter w;
    w.Count(records.size());
    for (const GbReadingRecord& r : records) {
        w.U16(r.key);
        w.Count(r.readings.size());
        for (const std::string& s : r.readings) {
            if (s.size() > kMaxReadingBytes) return false;
            w.U32(static_cast<std::uint32_t>(s.size()));
            w.Bytes(s);
        }
    }
    return WriteFileBytes(path, w.str());
}

ReadStatus ParseToneReadings(std::string_view bytes, bool ordered, const ToneReadingVisitor& visit) {
    ByteReader r(bytes);
    r.U32();
    std::uint32_t count = r.U16();
    if (!r.ok()) return ReadStatus::Damaged;
    ToneReadingView v;
    for (std::uint32_t e = 0; e < count; e++) {
        v.key = static_cast<CharKey>(r.U16());
        std::uint32_t n = r.U8();
        if (n > kMaxToneReadings) return ReadStatus::Damaged;
        v.count = static_cast<int>(n);
        for (std::uint32_t i = 0; i < n; i++) {
            v.readings[i] = r.Bytes(r.U8());
            v.toneData[i] = static_cast<std::uint16_t>(ordered ? r.U16() : r.U8());
        }
        v.commonFlags = static_cast<std::uint8_t>(r.U8());
        if (!r.ok()) return ReadStatus::Damaged;
        visit(v);
    }
    return ReadStatus::Ok;
}

ReadStatus ParseGbReadings(std::string_view bytes, const GbReadingVisitor& visit) {
    ByteReader r(bytes);
    std::uint32_t count = r.Count();
    if (!r.ok()) return ReadStatus::Damaged;
    std::vector<std::string_view> readings;
    for (std::uint32_t e = 0; e < count; e++) {
        CharKey key = static_cast<CharKey>(r.U16());
        std::uint32_t n = r.Count();
        readings.clear();
        for (std::uint32_t i = 0; i < n && r.ok(); i++) {  // a blown-up count ends with the bytes
            std::uint32_t len = r.U32();
            if (len > kMaxReadingBytes) return ReadStatus::Damaged;
            readings.push_back(r.Bytes(len));
        }
        if (!r.ok()) return ReadStatus::Damaged;
        visit(key, readings);
    }
    return ReadStatus::Ok;
}

ReadStatus ReadToneReadingFile(const std::string& path, bool ordered, std::vector<ToneReadingRecord>& records) {
    records.clear();
    std::string bytes;
    ReadStatus s = ReadFileBytes(path, bytes);
    if (s != ReadStatus::Ok) return s;
    return ParseToneReadings(bytes, ordered, [&](const ToneReadingView& v) {
        ToneReadingRecord& rec = records.emplace_back();
        rec.key = v.key;
        rec.readings.assign(v.readings, v.readings + v.count);
        rec.toneData.assign(v.toneData, v.toneData + v.count);
        rec.commonFlags = v.commonFlags;
    });
}

ReadStatus ReadGbReadingFile(const std::string& path, std::vector<GbReadingRecord>& records) {
    records.clear();
    std::string bytes;
    ReadStatus s = ReadFileBytes(path, bytes);
    if (s != ReadStatus::Ok) return s;
    return ParseGbReadings(bytes, [&](CharKey key, const std::vector<std::string_view>& readings) {
        records.push_back({key, {readings.begin(), readings.end()}});
    });
}
