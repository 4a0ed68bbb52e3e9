#include "tools/mkdata/reading_data.h"

#include <algorithm>

#include "text/gbk.h"
#include "tools/mkdata/gbk_chars.h"

bool IsGb2312Code(unsigned char lead, unsigned char trail) {
    if (lead < 0xB0 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return false;
    return !(lead == 0xD7 && trail >= 0xFA);
}

bool NeedsToneOrder(const ReadingList& readings) {
    return std::any_of(readings.begin(), readings.end(), [](const SyllableTones& r) {
        return !r.tones.empty() && r.tones.front() != *std::min_element(r.tones.begin(), r.tones.end());
    });
}

ReadingData BuildReadingData(const UnihanReadings& unihan) {
    ReadingData data;
    ForEachGbkChar([&](unsigned char lead, unsigned char trail, char16_t unit) {
        const ReadingList readings = unihan.Get(unit, kMaxToneReadings);
        if (readings.empty()) return;

        const CharKey key = MakeCharKey(lead, trail);
        const bool ordered = NeedsToneOrder(readings);
        ToneReadingRecord rec;
        rec.key = key;
        for (const SyllableTones& r : readings) {
            rec.readings.push_back(r.syllable);
            rec.toneData.push_back(ordered ? MakeToneOrder(r.tones) : MakeToneMask(r.tones));
        }
        if (IsGb2312Code(lead, trail)) data.gb2312.push_back({key, rec.readings});
        (ordered ? data.toneOrders : data.toneMasks).push_back(std::move(rec));
    });
    return data;
}

std::set<CharKey> CommonChars(const std::vector<char32_t>& mostUsedFirst, const GbkIndex& gbk, size_t count) {
    std::set<CharKey> common;
    for (const char32_t cp : mostUsedFirst) {
        if (common.size() >= count) break;
        const std::string g = gbk.Encode(cp);
        if (!g.empty() && IsGb2312Code(static_cast<unsigned char>(g[0]), static_cast<unsigned char>(g[1])))
            common.insert(CharKeyAt(g));
    }
    return common;
}

size_t MarkCommonChars(ReadingData& data, const std::set<CharKey>& common) {
    size_t marked = 0;
    for (auto* records : {&data.toneMasks, &data.toneOrders})
        for (ToneReadingRecord& r : *records)
            if (common.count(r.key)) r.commonFlags = 1, ++marked;
    return marked;
}
