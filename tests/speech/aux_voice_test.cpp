// The auxiliary voice: the test phrase's choice of voice, rate and volume, its
// cut-off and release, and speech saved as a WAV file end to end.
#include "speech/aux_voice.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/speech/engine_test_util.h"
#include "tests/support/scratch_folder.h"

namespace {

const std::u16string kHuihui = u"Sim Huihui - Chinese (Simplified)";

AString Gbk(const std::u16string& s) { return GbkFromUtf16(s); }

// Texts with text that the voice accepted, in order.
std::vector<SimulatedSpeakCall> Texts(SimulatedVoice& v) {
    std::vector<SimulatedSpeakCall> out;
    for (const SimulatedSpeakCall& c : v.SpeakCalls())
        if (c.HasText) out.push_back(c);
    return out;
}

// The engine runs on the standard voices; the auxiliary voice is made after
// it, at the manual pace, so that a phrase stays unspoken until stepped.
class TestPhraseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(H.Start());
        SimulatedVoiceOptions manual;
        manual.Pace = SimulatedPace::Manual;
        H.Voices.SetOptions(manual);
        Aux = std::make_unique<AuxiliaryVoice>(*H.Engine, H.Voices, BindSpeechSettings(H.Settings));
        std::lock_guard<std::mutex> hold(H.Engine->NamesLock);
        H.Settings.SoundVoiceEng = "Sim Anna";
        H.Settings.SoundVoiceChn = Gbk(kHuihui);
    }
    std::shared_ptr<SimulatedVoice> AuxSim() { return H.Voices.VoiceAt(H.Voices.VoiceCount() - 1); }

    EngineHarness H;
    std::unique_ptr<AuxiliaryVoice> Aux;
};

TEST_F(TestPhraseFixture, PhrasesGoToTheVoiceOfTheirScriptAndASecondCutsOffTheFirst) {
    H.Settings.SoundPlaySpeed = 4;
    H.Settings.SoundPlayVol = 150;
    const AString phrase("This is a test.");
    Aux->TestSpeak(phrase, phrase.GetLength());
    ASSERT_EQ(H.Voices.VoiceCount(), 2u);  // the main voice and the auxiliary one
    auto v = AuxSim();
    ASSERT_TRUE(v);
    ASSERT_EQ(Texts(*v).size(), 1u);
    EXPECT_EQ(Texts(*v)[0].Text, u"This is a test.");
    EXPECT_EQ(Texts(*v)[0].TokenName, u"Sim Anna");
    EXPECT_EQ(Texts(*v)[0].Flags, kSpeakAsync);
    EXPECT_EQ(Texts(*v)[0].Rate, 4);
    EXPECT_EQ(Texts(*v)[0].Volume, 100);
    EXPECT_EQ(H.Settings.SoundPlayVol, 100);  // clamped and stored back
    VoiceStatus status;
    v->GetStatus(status);
    EXPECT_NE(status.RunningState, kRunStateDone);  // still sounding

    const AString chinese = Gbk(u"岚雀舟");
    Aux->TestSpeak(chinese, 6);
    EXPECT_EQ(H.Voices.VoiceCount(), 2u);  // reused
    const auto calls = v->SpeakCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_FALSE(calls[1].HasText);  // the purge of the first phrase
    EXPECT_TRUE(calls[1].Flags & kSpeakPurgeBeforeSpeak);
    EXPECT_EQ(calls[2].Text, u"岚雀舟");
    EXPECT_EQ(calls[2].TokenName, kHuihui);
    // The main voice heard none of it.
    EXPECT_EQ(H.SpokenText(), u"");
}

TEST_F(TestPhraseFixture, NoMatchingVoiceOrNoTextSaysNothing) {
    {
        std::lock_guard<std::mutex> hold(H.Engine->NamesLock);
        H.Settings.SoundVoiceEng = "Nobody";
    }
    Aux->TestSpeak(AString("This is a test."), 15);
    Aux->TestSpeak(AString(""), 0);
    EXPECT_EQ(H.Voices.VoiceCount(), 1u);
    EXPECT_FALSE(Aux->AuxVoice);
    // The Chinese voice is still found for a Chinese phrase.
    Aux->TestSpeak(Gbk(u"岚雀舟"), 6);
    ASSERT_EQ(H.Voices.VoiceCount(), 2u);
    ASSERT_EQ(Texts(*AuxSim()).size(), 1u);
    EXPECT_EQ(Texts(*AuxSim())[0].TokenName, kHuihui);
}

TEST_F(TestPhraseFixture, ReleaseSilencesThePhraseAndTheNextTestMakesANewVoice) {
    Aux->TestSpeak(AString("This is a test."), 15);
    auto first = AuxSim();
    Aux->ReleaseAuxVoice();
    EXPECT_FALSE(Aux->AuxVoice);
    EXPECT_EQ(first->Step(1), 0);  // shut down: nothing more is spoken
    Aux->TestSpeak(AString("Again"), 5);
    ASSERT_EQ(H.Voices.VoiceCount(), 3u);
    const auto calls = AuxSim()->SpeakCalls();
    ASSERT_EQ(calls.size(), 1u);  // a fresh voice: no purge first
    EXPECT_EQ(calls[0].Text, u"Again");
}

TEST(TestPhraseDefaults, BothNamesEmptyTakeTheCataloguesDefaultVoices) {
    EngineHarness h;
    ASSERT_TRUE(h.Start());
    SpeechSettingsRecord own;  // names empty; the engine keeps its own record
    own.SoundPlayVol = -9999;
    own.SoundPlaySpeed = -9999;
    AuxiliaryVoice aux(*h.Engine, h.Voices, BindSpeechSettings(own));
    aux.TestSpeak(AString("This is a test."), 15);
    EXPECT_EQ(own.SoundVoiceEng, AString("Sim David"));  // the vendor-preferred male voice
    EXPECT_EQ(own.SoundVoiceChn, Gbk(kHuihui));
    auto v = h.Voices.VoiceAt(h.Voices.VoiceCount() - 1);
    auto texts = Texts(*v);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().Text, u"This is a test.");
    EXPECT_EQ(texts.back().TokenName, u"Sim David");
    // Unset rate and volume stay unset and leave the voice's own.
    EXPECT_EQ(own.SoundPlayVol, -9999);
    EXPECT_EQ(own.SoundPlaySpeed, -9999);
    EXPECT_EQ(texts.back().Volume, 100);
    EXPECT_EQ(texts.back().Rate, 0);
}

// ---------------------------------------------------------------- WAV files

struct Wav {
    bool Valid = false;
    std::uint16_t Tag = 0, Channels = 0, Bits = 0, BlockAlign = 0;
    std::uint32_t Rate = 0, ByteRate = 0;
    std::vector<unsigned char> Data;
};

std::uint32_t Le(const std::vector<unsigned char>& b, size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
    return v;
}

// A RIFF WAVE file: its fmt chunk and its data chunk, with every size consistent.
Wav ParseWav(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Wav w;
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE" || Le(b, 4, 4) != b.size() - 8)
        return w;
    bool fmt = false, data = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
        const std::uint32_t size = Le(b, at + 4, 4);
        if (at + 8 + size > b.size()) return w;
        if (id == "fmt " && size >= 16) {
            w.Tag = static_cast<std::uint16_t>(Le(b, at + 8, 2));
            w.Channels = static_cast<std::uint16_t>(Le(b, at + 10, 2));
            w.Rate = Le(b, at + 12, 4);
            w.ByteRate = Le(b, at + 16, 4);
            w.BlockAlign = static_cast<std::uint16_t>(Le(b, at + 20, 2));
            w.Bits = static_cast<std::uint16_t>(Le(b, at + 22, 2));
            fmt = true;
        } else if (id == "data") {
            w.Data.assign(b.begin() + static_cast<long>(at) + 8, b.begin() + static_cast<long>(at + 8 + size));
            data = true;
        }
        at += 8 + size + (size & 1);
    }
    w.Valid = fmt && data && w.BlockAlign == w.Channels * (w.Bits / 8) && w.ByteRate == w.Rate * w.BlockAlign;
    return w;
}

// The largest sample of the data as a share of full scale.
double Peak(const Wav& w) {
    int peak = 0;
    const size_t width = w.Bits / 8;
    for (size_t at = 0; at + width <= w.Data.size(); at += width) {
        int v = width == 1 ? std::abs(static_cast<int>(w.Data[at]) - 128) * 256
                           : std::abs(static_cast<int>(static_cast<std::int16_t>(Le(w.Data, at + width - 2, 2))));
        peak = std::max(peak, v);
    }
    return peak / 32768.0;
}

class SaveFixture : public ::testing::Test {
protected:
    SaveFixture() {
        SimulatedTokenSpec broken = MakeSimulatedToken(u"Broken", u"Sim Broken", u"", u"409", u"Male");
        broken.SpeakError = kVoiceErrFail;
        broken.SpeakErrorCount = -1;
        Voices.AddToken(broken);
        SpeechEngineConfig config;
        config.Voices = &Voices;
        config.Settings = BindSpeechSettings(Settings);
        Engine = std::make_unique<SpeechEngine>(config);
        Aux = std::make_unique<AuxiliaryVoice>(*Engine, Voices, BindSpeechSettings(Settings));
    }
    void Format(std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
        SimulatedVoiceOptions o;
        o.SampleRate = rate;
        o.BitsPerSample = bits;
        o.Channels = channels;
        Voices.SetOptions(o);
    }
    std::filesystem::path File(const char* name) { return std::filesystem::path(Folder.File(name)); }
    bool Save(const std::u16string& text, const std::u16string& voice, const std::filesystem::path& p) {
        return Aux->SaveSpeechToWave(text, Gbk(voice), p.u16string());
    }

    ScratchFolder Folder{"zh_aux_voice"};
    SimulatedVoiceSystem Voices;
    SpeechSettingsRecord Settings;
    std::unique_ptr<SpeechEngine> Engine;
    std::unique_ptr<AuxiliaryVoice> Aux;
};

TEST_F(SaveFixture, WritesAWavFileOfTheBoundFormatThatGrowsWithTheText) {
    struct Case {
        std::uint32_t Rate;
        std::uint16_t Bits, Channels;
    };
    for (const Case c : {Case{16000, 16, 1}, Case{22050, 8, 2}, Case{11025, 16, 2}}) {
        SCOPED_TRACE(c.Rate);
        Format(c.Rate, c.Bits, c.Channels);
        const std::uint32_t perWord = c.Rate / 10 * c.Channels * (c.Bits / 8);  // 100 ms a word
        const auto shortFile = File("short.wav"), longFile = File("long.wav");
        ASSERT_TRUE(Save(u"你好world", kHuihui, shortFile));                        // three words
        ASSERT_TRUE(Save(u"银行行长了解情况, and more words", kHuihui, longFile));  // eleven
        for (const auto& [path, words] : {std::pair{shortFile, 3u}, std::pair{longFile, 11u}}) {
            const Wav w = ParseWav(path);
            ASSERT_TRUE(w.Valid);
            EXPECT_EQ(w.Tag, 1);  // PCM
            EXPECT_EQ(w.Rate, c.Rate);
            EXPECT_EQ(w.Bits, c.Bits);
            EXPECT_EQ(w.Channels, c.Channels);
            EXPECT_EQ(w.Data.size(), words * perWord);
            EXPECT_GT(Peak(w), 0.25);  // a tone, not silence
        }
    }
}

TEST_F(SaveFixture, SpeaksTheWholeTextWithTheNamedVoiceAndReleasesTheVoice) {
    Settings.SoundPlayVol = 150;
    std::vector<bool> busy;
    Aux->OnBusy = [&](bool b) { busy.push_back(b); };
    const AString gbkText = Gbk(u"银行 bank");
    ASSERT_TRUE(Aux->SaveSpeechToWave(gbkText, AString("Sim Anna"), File("a.wav").u16string()));
    EXPECT_FALSE(Aux->AuxVoice);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    auto v = Voices.VoiceAt(Voices.VoiceCount() - 1);
    const auto texts = Texts(*v);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text, u"银行 bank");
    EXPECT_EQ(texts[0].TokenName, u"Sim Anna");
    EXPECT_EQ(texts[0].Flags, kSpeakAsync | kSpeakIsNotXml);
    EXPECT_EQ(texts[0].Volume, 100);
    EXPECT_EQ(Settings.SoundPlayVol, 100);
    EXPECT_EQ(ParseWav(File("a.wav")).Data.size(), 3u * 3200);
}

TEST_F(SaveFixture, FailuresReturnFalseAndLeaveNoFile) {
    const auto target = File("out.wav");
    Format(0, 16, 1);  // unusable output format
    EXPECT_FALSE(Save(u"hello", u"Sim Anna", target));
    EXPECT_FALSE(std::filesystem::exists(target));

    Format(16000, 16, 1);
    const auto missing = File("no_such_folder") / "x.wav";
    EXPECT_FALSE(Save(u"hello", u"Sim Anna", missing));
    EXPECT_FALSE(std::filesystem::exists(missing));

    EXPECT_FALSE(Save(u"hello", u"Sim Broken", target));  // the voice cannot speak
    EXPECT_FALSE(std::filesystem::exists(target));

    Voices.SetCreateVoiceResult(kVoiceErrFail);
    EXPECT_FALSE(Save(u"hello", u"Sim Anna", target));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(Aux->AuxVoice);
}

}  // namespace
