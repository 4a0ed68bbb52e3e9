#include "speech/voice_catalogue.h"

#include <memory>
#include <string>
#include <vector>

#include "text/gbk.h"

namespace {

AString ReadName(const VoiceDataKey& key, const char16_t* valueName) {
    std::u16string value;
    if (VoiceFailed(key.GetStringValue(valueName, value))) return AString();
    return GbkFromUtf16(value);
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The first hexadecimal number of a value like "804;409"; -1 for none.
long FirstHexNumber(const std::u16string& s) {
    size_t i = 0;
    while (i < s.size() && HexDigit(s[i]) < 0) ++i;
    if (i == s.size()) return -1;
    long v = 0;
    for (; i < s.size() && HexDigit(s[i]) >= 0 && v < 0x10000000; ++i) v = v * 16 + HexDigit(s[i]);
    return v;
}

// The markers of a Chinese voice's name, GBK.
const std::vector<AString>& ChineseMarkers() {
    static const std::vector<AString> markers = [] {
        std::vector<AString> m;
        for (const char16_t* t : {u"Chinese", u"China", u"中文", u"国语", u"普通话", u"汉语"})
            m.push_back(GbkFromUtf16(t));
        return m;
    }();
    return markers;
}

bool HasChineseMarker(const AString& name) {
    if (name.IsEmpty()) return false;
    for (const AString& marker : ChineseMarkers())
        if (name.Find(marker.GetString()) >= 0) return true;
    return false;
}

bool IsSampleVoice(const AString& name) {
    static const char kSample[] = "Sample TTS Voice";
    return name.GetLength() == static_cast<int>(sizeof(kSample) - 1) && name.FindNoCase(kSample) == 0;
}

// en and zh of a token, with the "Attributes" fallback when both are empty.
void TokenNames(const VoiceToken& token, AString& en, AString& zh, int& chineseFlag) {
    en = TokenName(token, 0);
    zh = TokenName(token, 1);
    chineseFlag = -1;
    if (en.IsEmpty() && zh.IsEmpty()) en = TokenAttributes(token, &chineseFlag);
}

// Speaks two spaces with the token; true when the voice answers S_OK.
bool TrialPhrase(Voice& voice, const VoiceTokenPtr& token, std::uint32_t* streamNumber) {
    VoiceTokenPtr previous;
    const bool hadVoice = VoiceSucceeded(voice.GetVoice(previous)) && previous;
    if (VoiceFailed(voice.SetVoice(token))) return false;
    bool passed = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const VoiceResult r = voice.Speak(u"  ", kSpeakAsync, streamNumber);
        if (r == kVoiceOk) voice.WaitUntilDone(kVoiceInfinite);
        if (r == kVoiceOk) {
            passed = true;
            break;
        }
        if (r == kVoiceErrOutOfMemory || r == kVoiceErrPointer || r == kVoiceErrInvalidFlags ||
            r == kVoiceErrDeviceBusy || r == kVoiceErrInvalidArg)
            break;
    }
    if (hadVoice) voice.SetVoice(previous);
    return passed;
}

// The name of the best token for the conditions; false when none matches.
bool DefaultName(VoiceSystem& system, const char16_t* required, AString& name) {
    std::vector<VoiceTokenPtr> tokens;
    VoiceResult r = system.EnumTokens(kVoiceCategoryId, required, u"VendorPreferred", tokens);
    if (VoiceSucceeded(r) && tokens.empty()) r = kVoiceErrNotFound;
    if (VoiceFailed(r) || !tokens.front()) return false;
    name = TokenName(*tokens.front(), -1);
    if (name.IsEmpty()) {
        int flag = -1;
        name = TokenAttributes(*tokens.front(), &flag);
    }
    return true;
}

}  // namespace

AString TokenName(const VoiceDataKey& token, int mode) {
    if (mode == 1) return ReadName(token, u"804");
    AString name = ReadName(token, u"409");
    if (name.IsEmpty() && mode == -1) name = ReadName(token, u"804");
    return name;
}

AString TokenAttributes(const VoiceDataKey& token, int* chineseFlag) {
    if (chineseFlag) *chineseFlag = -1;
    std::unique_ptr<VoiceDataKey> attributes;
    if (VoiceFailed(token.OpenKey(u"Attributes", attributes)) || !attributes) return AString();
    std::u16string language;
    if (VoiceSucceeded(attributes->GetStringValue(u"Language", language)) && chineseFlag)
        *chineseFlag = FirstHexNumber(language) == 0x804 ? 1 : 0;
    return ReadName(*attributes, u"Name");
}

int VoiceCatalogue(VoiceSystem& system, Voice* mainVoice, std::uint32_t* streamNumber, AStringArray& westernNames,
                   AStringArray& chineseNames, AString& westernName, AString& chineseName, VoiceTokenPtr* westernOut,
                   VoiceTokenPtr* chineseOut) {
    if (westernName.IsEmpty() && chineseName.IsEmpty()) {
        AString western, chinese;
        if (!DefaultName(system, u"gender=male", western) || !DefaultName(system, u"language=804", chinese)) return 0;
        westernName = western;
        chineseName = chinese;
    }

    if (westernOut) westernOut->reset();
    if (chineseOut) chineseOut->reset();
    westernNames.RemoveAll();
    chineseNames.RemoveAll();
    const AString wanted[2] = {westernName, chineseName};  // by language: 0 Western, 1 Chinese
    VoiceTokenPtr* outputs[2] = {westernOut, chineseOut};
    AStringArray* lists[2] = {&westernNames, &chineseNames};
    VoiceTokenPtr first[2];
    AString firstName[2];

    std::vector<VoiceTokenPtr> tokens;
    if (VoiceFailed(system.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens))) return 0;

    int result = 0;
    for (VoiceTokenPtr& token : tokens) {
        if (!token || !mainVoice || !TrialPhrase(*mainVoice, token, streamNumber)) continue;
        AString en, zh;
        int chineseFlag = -1;
        TokenNames(*token, en, zh, chineseFlag);
        if (en.IsEmpty() && zh.IsEmpty()) continue;
        if (IsSampleVoice(en) || IsSampleVoice(zh)) continue;

        const int lang = chineseFlag == 1 || HasChineseMarker(en) || HasChineseMarker(zh) ? 1 : 0;
        const AString display = en.IsEmpty() ? zh : en;
        lists[lang]->Add(display);
        result = 1;

        if (!outputs[lang]) continue;
        if (!wanted[lang].IsEmpty() && (wanted[lang] == en || wanted[lang] == zh)) {
            *outputs[lang] = token;
        } else if (!*outputs[lang] && !first[lang]) {
            first[lang] = token;
            firstName[lang] = display;
        }
    }

    for (int lang = 0; lang < 2; ++lang) {
        if (!outputs[lang] || *outputs[lang] || !first[lang]) continue;
        *outputs[lang] = first[lang];
        (lang ? chineseName : westernName) = firstName[lang];
        result = 2;
    }
    return result;
}

VoiceTokenPtr FindVoiceByName(VoiceSystem& system, const AString& name) {
    if (name.IsEmpty()) return nullptr;
    std::vector<VoiceTokenPtr> tokens;
    if (VoiceFailed(system.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens))) return nullptr;
    VoiceTokenPtr found;
    for (const VoiceTokenPtr& token : tokens) {
        if (!token) continue;
        AString en, zh;
        int flag = -1;
        TokenNames(*token, en, zh, flag);
        if (name == en || name == zh) found = token;
    }
    return found;
}
