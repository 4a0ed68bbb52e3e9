// SapiVoice against the system's SAPI. Here it runs under Wine, whose SAPI
// lists a voice but cannot speak; every assertion holds for a working SAPI
// too, and every wait has a time-out.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "speech/sapi_voice.h"

namespace {

using namespace std::chrono_literals;

struct SapiFixture : ::testing::Test {
    SapiVoiceSystem System;
    void SetUp() override { ASSERT_GE(System.InitThread(), 0); }
    void TearDown() override { System.UninitThread(); }
};

// Runs f on its own thread and fails the test when it does not return in time.
template <class F>
void WithinSeconds(int seconds, F f) {
    auto done = std::async(std::launch::async, f);
    ASSERT_EQ(done.wait_for(std::chrono::seconds(seconds)), std::future_status::ready) << "a SAPI call hangs";
    done.get();
}

TEST_F(SapiFixture, VoiceCategoryListsTokensWithIds) {
    std::vector<VoiceTokenPtr> all;
    ASSERT_EQ(System.EnumTokens(kVoiceCategoryId, nullptr, nullptr, all), kVoiceOk);
    ASSERT_FALSE(all.empty());
    for (const auto& token : all) {
        EXPECT_FALSE(token->Id().empty());
        // A value is either read, or reported missing with an empty result.
        for (const char16_t* name : {u"", u"409", u"804"}) {
            std::u16string value = u"stale";
            VoiceResult r = token->GetStringValue(name, value);
            if (VoiceSucceeded(r)) {
                EXPECT_TRUE(name[0] != 0 || !value.empty());
            } else {
                EXPECT_TRUE(value.empty());
            }
        }
        std::unique_ptr<VoiceDataKey> attrs;
        VoiceResult r = token->OpenKey(u"Attributes", attrs);
        EXPECT_EQ(VoiceSucceeded(r), attrs != nullptr);
        if (attrs) {
            std::u16string language = u"stale";
            if (VoiceFailed(attrs->GetStringValue(u"Language", language))) {
                EXPECT_TRUE(language.empty());
            }
        }
    }
    // The default-voice searches of the catalogue give a subset of the category.
    for (const char16_t* required : {u"gender=male", u"language=804"}) {
        std::vector<VoiceTokenPtr> some;
        ASSERT_EQ(System.EnumTokens(kVoiceCategoryId, required, u"VendorPreferred", some), kVoiceOk);
        EXPECT_LE(some.size(), all.size());
    }
}

TEST_F(SapiFixture, UnknownCategoryOrNoComFails) {
    std::vector<VoiceTokenPtr> tokens;
    EXPECT_LT(System.EnumTokens(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Zhorvan\\NoSuchCategory", nullptr, nullptr, tokens), 0);
    EXPECT_TRUE(tokens.empty());
    EXPECT_EQ(System.EnumTokens(nullptr, nullptr, nullptr, tokens), kVoiceErrPointer);

    // A thread that did not initialise COM cannot create a voice.
    VoiceResult r = kVoiceOk;
    std::unique_ptr<Voice> voice;
    std::thread([&] { r = System.CreateVoice(voice); }).join();
    EXPECT_LT(r, 0);
    EXPECT_FALSE(voice);
}

TEST_F(SapiFixture, SpeakFailsOrEndsWithoutHanging) {
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(System.CreateVoice(voice), kVoiceOk);
    ASSERT_TRUE(voice);
    voice->SetInterest(kVoiceInterestMask, kVoiceInterestMask);
    WithinSeconds(20, [&] {
        std::uint32_t stream = 777;
        VoiceResult r = voice->Speak(u"  ", kSpeakAsync, &stream);
        if (VoiceFailed(r)) {
            EXPECT_EQ(stream, 777u);  // no stream on failure
            return;
        }
        EXPECT_NE(stream, 777u);
        EXPECT_EQ(voice->WaitUntilDone(10000), kVoiceOk);
        // Whatever events came belong to that stream; the stream's end comes last.
        VoiceEvent e;
        std::vector<VoiceEvent> events;
        while (voice->GetEvents(1, &e, nullptr) == kVoiceOk) events.push_back(e);
        for (const auto& ev : events) EXPECT_EQ(ev.StreamNumber, stream);
        if (!events.empty()) {
            EXPECT_EQ(events.back().Id, kEventEndInputStream);
        }
    });
    WithinSeconds(20, [&] {
        voice->Speak(nullptr, kSpeakPurgeBeforeSpeak, nullptr);  // a purge returns, whatever its result
        VoiceStatus status;
        if (VoiceSucceeded(voice->GetStatus(status))) {
            EXPECT_LE(status.RunningState, kRunStateSpeaking);
        }
        VoiceEvent e;
        std::uint32_t fetched = 99;
        VoiceResult r = voice->GetEvents(1, &e, &fetched);
        EXPECT_LE(fetched, 1u);
        if (VoiceFailed(r)) {
            EXPECT_EQ(fetched, 0u);
        }
    });
    voice.reset();  // releases with no notification set up
}

TEST_F(SapiFixture, VoiceSettingsRoundTripOrFail) {
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(System.CreateVoice(voice), kVoiceOk);
    if (VoiceSucceeded(voice->SetRate(3))) {
        std::int32_t rate = 0;
        ASSERT_EQ(voice->GetRate(rate), kVoiceOk);
        EXPECT_EQ(rate, 3);
    }
    if (VoiceSucceeded(voice->SetVolume(40))) {
        std::uint16_t volume = 0;
        ASSERT_EQ(voice->GetVolume(volume), kVoiceOk);
        EXPECT_EQ(volume, 40);
    }
    std::vector<VoiceTokenPtr> tokens;
    ASSERT_EQ(System.EnumTokens(kVoiceCategoryId, nullptr, nullptr, tokens), kVoiceOk);
    ASSERT_FALSE(tokens.empty());
    if (VoiceSucceeded(voice->SetVoice(tokens.back()))) {
        VoiceTokenPtr current;
        ASSERT_EQ(voice->GetVoice(current), kVoiceOk);
        ASSERT_TRUE(current);
        EXPECT_EQ(current->Id(), tokens.back()->Id());
    }
    // A token that is not SAPI's is refused before SAPI sees it.
    struct Alien : VoiceToken {
        VoiceResult GetStringValue(const char16_t*, std::u16string&) const override { return kVoiceOk; }
        VoiceResult OpenKey(const char16_t*, std::unique_ptr<VoiceDataKey>&) const override { return kVoiceErrNotFound; }
        std::u16string Id() const override { return u"alien"; }
    };
    EXPECT_EQ(voice->SetVoice(std::make_shared<Alien>()), kVoiceErrInvalidArg);
    int calls = 0;
    VoiceResult r = voice->SetNotifyCallback([&] { ++calls; });
    if (VoiceFailed(r)) {
        EXPECT_EQ(calls, 0);
    }
    voice->SetNotifyCallback({});
}

TEST_F(SapiFixture, WaveOutputWritesAFileOrNone) {
    std::unique_ptr<Voice> voice;
    ASSERT_EQ(System.CreateVoice(voice), kVoiceOk);
    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    std::wstring path = std::wstring(folder) + L"zh_voice_sapi_test.wav";
    DeleteFileW(path.c_str());
    const auto* path16 = reinterpret_cast<const char16_t*>(path.c_str());
    VoiceResult r = voice->SetWaveFileOutput(path16);
    if (VoiceFailed(r)) {
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(voice->CloseWaveOutput(), kVoiceFalse);  // nothing to close
        return;
    }
    EXPECT_EQ(voice->SetWaveFileOutput(path16), kVoiceErrFail);  // one file at a time
    WithinSeconds(30, [&] {
        if (VoiceSucceeded(voice->Speak(u"hello", kSpeakAsync | kSpeakIsNotXml, nullptr))) {
            EXPECT_EQ(voice->WaitUntilDone(20000), kVoiceOk);
        }
    });
    EXPECT_GE(voice->CloseWaveOutput(), 0);
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_GE(info.nFileSizeLow, 44u);  // at least the RIFF header
    EXPECT_TRUE(DeleteFileW(path.c_str()));  // the file was closed
}

}  // namespace
