#include "tools/mkdata/reading_data.h"

#include <algorithm>

#include "text/codepage.h"
#include "text/gbk_bytes.h"

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
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (!IsGbkPair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))) continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char16_t unit[2];
            if (MultiByteToUtf16(936, bytes, 2, unit, 2) != 1) continue;
            const ReadingList readings = unihan.Get(unit[0], kMaxToneReadings);
            if (readings.empty()) continue;

            const CharKey key = MakeCharKey(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            const bool ordered = NeedsToneOrder(readings);
            ToneReadingRecord rec;
            rec.key = key;
            for (const SyllableTones& r : readings) {
                rec.readings.push_back(r.syllable);
                rec.toneData.push_back(ordered ? MakeToneOrder(r.tones) : MakeToneMask(r.tones));
            }
            if (IsGb2312Code(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
                data.gb2312.push_back({key, rec.readings});
            (ordered ? data.toneOrders : data.toneMasks).push_back(std::move(rec));
        }
    }
    return data;
}
