// The espeak-ng voice: tokens, word events, WAV output, and the speech engine
// driving it (the phonemes espeak-ng says, read back through its trace).
#include <gtest/gtest.h>
#include <espeak-ng/speak_lib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine_test_util.h"
#include "speech/espeak_voice.h"
#include "tools/cli/speak.h"

namespace {

namespace fs = std::filesystem;

fs::path TempWav(const char* name) { return fs::temp_directory_path() / (std::string("zh_espeak_") + name + ".wav"); }

struct WavInfo {
    bool valid = false;
    std::uint32_t rate = 0, dataBytes = 0;
};

std::uint32_t Le(const std::string& s, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
    return v;
}

// A PCM, mono, 16-bit RIFF file whose sizes agree with its length.
WavInfo ReadWav(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WavInfo w;
    if (s.size() < 44 || s.compare(0, 4, "RIFF") || s.compare(8, 8, "WAVEfmt ") || s.compare(36, 4, "data")) return w;
    w.rate = Le(s, 24, 4);
    w.dataBytes = Le(s, 40, 4);
    w.valid = Le(s, 4, 4) == s.size() - 8 && Le(s, 20, 2) == 1 && Le(s, 22, 2) == 1 && Le(s, 34, 2) == 16 &&
              w.dataBytes == s.size() - 44 && w.rate > 0;
    return w;
}

VoiceTokenPtr Token(EspeakVoiceSystem& system, const char16_t* required) {
    std::vector<VoiceTokenPtr> tokens;
    EXPECT_EQ(system.EnumTokens(kVoiceCategoryId, required, u"VendorPreferred", tokens), kVoiceOk);
    return tokens.empty() ? nullptr : tokens.front();
}

struct Word {
    std::uint32_t pos, len;
    bool operator==(const Word& o) const { return pos == o.pos && len == o.len; }
};

// Speaks text with the token into a WAV file; the events of the stream.
std::vector<VoiceEvent> SpeakToWav(EspeakVoiceSystem& system, const VoiceTokenPtr& token, const std::u16string& text,
                                   const fs::path& wav) {
    std::unique_ptr<Voice> voice;
    EXPECT_EQ(system.CreateVoice(voice), kVoiceOk);
    if (!voice) return {};
    const std::uint64_t all = EventBit(kEventStartInputStream) | EventBit(kEventEndInputStream) | EventBit(kEventWordBoundary);
    voice->SetInterest(all, all);
    EXPECT_EQ(voice->SetVoice(token), kVoiceOk);
    EXPECT_EQ(voice->SetWaveFileOutput(wav.u16string().c_str()), kVoiceOk);
    std::uint32_t stream = 0;
    EXPECT_EQ(voice->Speak(text.c_str(), kSpeakAsync, &stream), kVoiceOk);
    EXPECT_EQ(voice->WaitUntilDone(60000), kVoiceOk);
    EXPECT_EQ(voice->CloseWaveOutput(), kVoiceOk);
    std::vector<VoiceEvent> events(64);
    std::uint32_t n = 0;
    voice->GetEvents(64, events.data(), &n);
    events.resize(n);
    for (const VoiceEvent& e : events) EXPECT_EQ(e.StreamNumber, stream);
    return events;
}

std::vector<Word> Words(const std::vector<VoiceEvent>& events) {
    std::vector<Word> words;
    for (const VoiceEvent& e : events)
        if (e.Id == kEventWordBoundary) words.push_back({e.InputPos, e.InputLen});
    return words;
}

class EspeakTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!system.Ready()) GTEST_SKIP() << "espeak-ng or its voices are missing";
    }
    EspeakVoiceSystem system;
};

TEST_F(EspeakTest, TokensForBothLanguages) {
    const VoiceTokenPtr zh = Token(system, u"Language=804"), en = Token(system, u"Gender=Male");
    ASSERT_TRUE(zh && en);
    EXPECT_TRUE(IsEspeakMandarin(zh));
    EXPECT_FALSE(IsEspeakMandarin(en));  // the vendor's preferred male voice comes first
    std::u16string name;
    EXPECT_EQ(zh->GetStringValue(u"804", name), kVoiceOk);
    EXPECT_FALSE(name.empty());
    std::vector<VoiceTokenPtr> none;
    EXPECT_EQ(system.EnumTokens(kVoiceCategoryId, u"Language=411", nullptr, none), kVoiceOk);
    EXPECT_TRUE(none.empty());
    EXPECT_NE(system.EnumTokens(u"elsewhere", nullptr, nullptr, none), kVoiceOk);
}

TEST_F(EspeakTest, WordEventsInOrderWithUnitPositions) {
    const VoiceTokenPtr zh = Token(system, u"Language=804"), en = Token(system, u"Gender=Male");
    const struct {
        VoiceTokenPtr token;
        std::u16string text;
        std::vector<Word> words;
    } cases[] = {
        {zh, u"银行𠮷了", {{0, 1}, {1, 1}, {2, 2}, {4, 1}}},
        {zh, u"我😀你", {{0, 1}, {3, 1}}},
        {en, u" hello world", {{1, 5}, {7, 5}}},
        {en, u"a 𩸽 b", {{0, 1}, {2, 2}, {5, 1}}},
    };
    for (const auto& c : cases) {
        const std::vector<VoiceEvent> events = SpeakToWav(system, c.token, c.text, TempWav("words"));
        ASSERT_GE(events.size(), 2u) << U8(c.text);
        EXPECT_EQ(events.front().Id, kEventStartInputStream);
        EXPECT_EQ(events.back().Id, kEventEndInputStream);
        const std::vector<Word> words = Words(events);
        ASSERT_EQ(words.size(), c.words.size()) << U8(c.text);
        for (size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(words[i].pos, c.words[i].pos) << U8(c.text) << " word " << i;
            EXPECT_EQ(words[i].len, c.words[i].len) << U8(c.text) << " word " << i;
        }
        for (size_t i = 1; i < events.size(); ++i) EXPECT_LE(events[i - 1].AudioOffset, events[i].AudioOffset);
    }
}

TEST_F(EspeakTest, NumberedStreamsInOrderAndAPurgeEndsTheCurrentOne) {
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    const std::uint64_t all = EventBit(kEventStartInputStream) | EventBit(kEventEndInputStream) | EventBit(kEventWordBoundary);
    voice->SetInterest(all, all);
    voice->SetVoice(Token(system, u"Language=804"));
    ASSERT_EQ(voice->SetWaveFileOutput(TempWav("streams").u16string().c_str()), kVoiceOk);
    std::uint32_t numbers[3] = {};
    for (std::uint32_t& n : numbers) ASSERT_EQ(voice->Speak(u"你好", kSpeakAsync, &n), kVoiceOk);
    EXPECT_EQ(voice->WaitUntilDone(60000), kVoiceOk);
    EXPECT_EQ(numbers[0] + 1, numbers[1]);
    EXPECT_EQ(numbers[1] + 1, numbers[2]);
    VoiceEvent events[32];
    std::uint32_t n = 0;
    voice->GetEvents(32, events, &n);
    std::vector<std::string> seen;
    for (std::uint32_t i = 0; i < n; ++i)
        seen.push_back(std::to_string(events[i].Id) + "/" + std::to_string(events[i].StreamNumber - numbers[0]) + "/" +
                       std::to_string(events[i].InputPos));
    const std::vector<std::string> expected = {"1/0/0", "5/0/0", "5/0/1", "2/0/2", "1/1/0", "5/1/0", "5/1/1",
                                               "2/1/2", "1/2/0", "5/2/0", "5/2/1", "2/2/2"};
    EXPECT_EQ(seen, expected);

    // Paused in the middle of a long stream, a purge ends it and drops the next.
    std::u16string text;
    for (int i = 0; i < 400; ++i) text += u"银行行长了解情况。";
    std::uint32_t stream = 0;
    ASSERT_EQ(voice->Speak(text.c_str(), kSpeakAsync, &stream), kVoiceOk);
    ASSERT_EQ(voice->Speak(text.c_str(), kSpeakAsync, nullptr), kVoiceOk);
    VoiceStatus status;
    ASSERT_TRUE(WaitUntil([&] { return voice->GetStatus(status) == kVoiceOk && status.CurrentStream == stream && status.InputWordPos > 0; }));
    voice->Pause();
    EXPECT_EQ(voice->WaitUntilDone(300), kVoiceFalse);
    ASSERT_EQ(voice->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr), kVoiceOk);
    voice->Resume();
    EXPECT_EQ(voice->WaitUntilDone(10000), kVoiceOk);
    EXPECT_EQ(voice->CloseWaveOutput(), kVoiceOk);
    voice->GetStatus(status);
    EXPECT_EQ(status.RunningState, kRunStateDone);
    EXPECT_EQ(status.CurrentStream, stream);  // the second long stream never started
    EXPECT_LT(status.InputWordPos, text.size() / 2);
    bool ended = false;
    while (voice->GetEvents(1, events, nullptr) == kVoiceOk) ended = ended || (events[0].Id == kEventEndInputStream && events[0].StreamNumber == stream);
    EXPECT_TRUE(ended);
}

TEST_F(EspeakTest, WaveFileIsValidAndGrowsWithTheText) {
    const VoiceTokenPtr zh = Token(system, u"Language=804");
    std::u16string text = u"你好";
    std::uint32_t previous = 0;
    for (int round = 0; round < 3; ++round) {
        const fs::path wav = TempWav("grow");
        SpeakToWav(system, zh, text, wav);
        const WavInfo w = ReadWav(wav);
        ASSERT_TRUE(w.valid) << U8(text);
        EXPECT_EQ(w.rate, static_cast<std::uint32_t>(system.Rate()));
        EXPECT_GT(w.dataBytes, previous + previous / 2) << U8(text);  // three times the text, well over 1.5 times the sound
        previous = w.dataBytes;
        text = text + text + text;
    }
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    EXPECT_EQ(voice->SetWaveFileOutput(u"/nonexistent-folder/x.wav"), kVoiceErrFileNotFound);
}

// The mean absolute sample of a WAV file's data.
double Loudness(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double sum = 0;
    size_t n = 0;
    for (size_t at = 44; at + 1 < s.size(); at += 2, ++n)
        sum += std::abs(static_cast<std::int16_t>(Le(s, at, 2)));
    return n ? sum / static_cast<double>(n) : 0;
}

TEST_F(EspeakTest, RateAndVolumeRanges) {
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(system.CreateVoice(voice), kVoiceOk);
    EXPECT_EQ(voice->SetRate(11), kVoiceErrInvalidArg);
    EXPECT_EQ(voice->SetRate(-11), kVoiceErrInvalidArg);
    EXPECT_EQ(voice->SetVolume(101), kVoiceErrInvalidArg);
    voice->SetVoice(Token(system, u"Gender=Male"));
    // (rate, volume) -> data bytes and loudness of the same sentence.
    const auto speak = [&](std::int32_t rate, std::uint16_t volume) {
        EXPECT_EQ(voice->SetRate(rate), kVoiceOk);
        EXPECT_EQ(voice->SetVolume(volume), kVoiceOk);
        const fs::path wav = TempWav("rate");
        voice->SetWaveFileOutput(wav.u16string().c_str());
        voice->Speak(u"one two three four five", 0, nullptr);
        voice->CloseWaveOutput();
        return std::make_pair(ReadWav(wav).dataBytes, Loudness(wav));
    };
    const auto slow = speak(-10, 100), fast = speak(10, 100), quiet = speak(0, 20), loud = speak(0, 100);
    EXPECT_GT(slow.first, 2 * fast.first);  // a faster rate makes a shorter sound
    EXPECT_LT(quiet.second, 0.5 * loud.second);
    EXPECT_GT(quiet.second, 0.0);
}

// espeak-ng's phonemes of everything synthesised while the trace is on.
class PhonemeTrace {
public:
    PhonemeTrace() : file_(std::tmpfile()) { espeak_SetPhonemeTrace(espeakPHONEMES_SHOW, file_); }
    ~PhonemeTrace() {
        espeak_SetPhonemeTrace(0, nullptr);
        std::fclose(file_);
    }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string s;
        for (int c; (c = std::fgetc(file_)) != EOF;) s += static_cast<char>(c);
        return s;
    }

private:
    std::FILE* file_;
};

std::string Phonemes(EspeakVoiceSystem& system, const VoiceTokenPtr& token, const std::u16string& text) {
    PhonemeTrace trace;
    SpeakToWav(system, token, text, TempWav("phonemes"));
    return trace.Text();
}

TEST_F(EspeakTest, EngineSpeaksTheDecidedReadingWithBothVoicesInOrder) {
    CDict dict;
    FillFixtureLexicon(dict);
    const VoiceTokenPtr zh = Token(system, u"Language=804");
    // 行 after 银 is read hang2; the voice on its own says xing2.
    const std::string decided = Phonemes(system, zh, u"银航"), own = Phonemes(system, zh, u"银行");
    ASSERT_NE(decided, own);

    const fs::path wav = TempWav("engine");
    std::ostringstream out;
    std::string heard;
    {
        PhonemeTrace trace;
        ASSERT_EQ(SpeakText(dict, Wide(u"银行 hello world 你好"), wav.string(), out, &system), 0);
        heard = trace.Text();
    }
    const std::vector<std::pair<bool, std::u16string>> expected = {
        {true, u"银航 "}, {false, u"hello world "}, {true, u"你好"}};
    std::vector<std::pair<bool, std::u16string>> spoken = system.Spoken();
    // The engine's start-up trial phrases come first.
    ASSERT_GE(spoken.size(), expected.size());
    spoken.erase(spoken.begin(), spoken.end() - static_cast<std::ptrdiff_t>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(spoken[i].first, expected[i].first) << i;
        EXPECT_EQ(U8(spoken[i].second), U8(expected[i].second)) << i;
    }
    EXPECT_NE(heard.find(decided.substr(0, decided.find('\n'))), std::string::npos) << heard;
    EXPECT_EQ(heard.find(own.substr(0, own.find('\n'))), std::string::npos) << heard;
    const WavInfo w = ReadWav(wav);
    EXPECT_TRUE(w.valid);
    EXPECT_GT(w.dataBytes, 0u);
}

}  // namespace
