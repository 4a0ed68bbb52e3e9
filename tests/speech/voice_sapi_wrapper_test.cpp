// SapiVoice over a scripted ISpVoice: how SAPI's answers become the voice
// interface's (Wine's own voice answers E_NOTIMPL to nearly everything).
#include <gtest/gtest.h>

#include <deque>

#include <sperror.h>

#include "speech/sapi_voice.h"

namespace {

// Counts its references; stands for an object an event carries.
struct CountedUnknown : IUnknown {
    ULONG Refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** p) override { *p = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
};

#define STUB(sig) HRESULT STDMETHODCALLTYPE sig override { return E_NOTIMPL; }

struct ScriptedVoice : ISpVoice {
    ULONG Refs = 1;
    HRESULT SpeakResult = S_OK;
    ULONG NextStream = 5;
    std::vector<std::pair<std::wstring, DWORD>> Spoken;
    std::deque<SPEVENT> Events;
    SPVOICESTATUS Status{};
    LONG Rate = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** p) override { *p = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
    HRESULT STDMETHODCALLTYPE SetNotifySink(ISpNotifySink*) override { return S_OK; }
    STUB(SetNotifyWindowMessage(HWND, UINT, WPARAM, LPARAM))
    STUB(SetNotifyCallbackFunction(SPNOTIFYCALLBACK*, WPARAM, LPARAM))
    STUB(SetNotifyCallbackInterface(ISpNotifyCallback*, WPARAM, LPARAM))
    STUB(SetNotifyWin32Event())
    STUB(WaitForNotifyEvent(DWORD))
    HANDLE STDMETHODCALLTYPE GetNotifyEventHandle() override { return nullptr; }
    STUB(SetInterest(ULONGLONG, ULONGLONG))
    HRESULT STDMETHODCALLTYPE GetEvents(ULONG count, SPEVENT* out, ULONG* fetched) override {
        ULONG n = 0;
        while (n < count && !Events.empty()) {
            out[n++] = Events.front();
            Events.pop_front();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STUB(GetInfo(SPEVENTSOURCEINFO*))
    STUB(SetOutput(IUnknown*, WINBOOL))
    STUB(GetOutputObjectToken(ISpObjectToken**))
    STUB(GetOutputStream(ISpStreamFormat**))
    STUB(Pause())
    STUB(Resume())
    STUB(SetVoice(ISpObjectToken*))
    STUB(GetVoice(ISpObjectToken**))
    HRESULT STDMETHODCALLTYPE Speak(LPCWSTR text, DWORD flags, ULONG* stream) override {
        Spoken.emplace_back(text ? text : L"(null)", flags);
        if (FAILED(SpeakResult)) return SpeakResult;
        if (stream) *stream = text ? NextStream++ : 0;
        return S_OK;
    }
    STUB(SpeakStream(IStream*, DWORD, ULONG*))
    HRESULT STDMETHODCALLTYPE GetStatus(SPVOICESTATUS* s, LPWSTR*) override { *s = Status; return S_OK; }
    STUB(Skip(LPCWSTR, LONG, ULONG*))
    STUB(SetPriority(SPVPRIORITY))
    STUB(GetPriority(SPVPRIORITY*))
    STUB(SetAlertBoundary(SPEVENTENUM))
    STUB(GetAlertBoundary(SPEVENTENUM*))
    HRESULT STDMETHODCALLTYPE SetRate(LONG r) override { Rate = r; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetRate(LONG* r) override { *r = Rate; return S_OK; }
    STUB(SetVolume(USHORT))
    STUB(GetVolume(USHORT*))
    STUB(WaitUntilDone(ULONG))
    STUB(SetSyncSpeakTimeout(ULONG))
    STUB(GetSyncSpeakTimeout(ULONG*))
    HANDLE STDMETHODCALLTYPE SpeakCompleteEvent() override { return nullptr; }
    STUB(IsUISupported(LPCWSTR, void*, ULONG, WINBOOL*))
    STUB(DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG))
};

SPEVENT Event(SPEVENTENUM id, ULONG stream, WPARAM w, LPARAM l, SPEVENTLPARAMTYPE type = SPET_LPARAM_IS_UNDEFINED) {
    SPEVENT e{};
    e.eEventId = id;
    e.elParamType = type;
    e.ulStreamNum = stream;
    e.ullAudioStreamOffset = 640;
    e.wParam = w;
    e.lParam = l;
    return e;
}

TEST(SapiWrapperTest, SpeakPassesTextAndFlagsAndKeepsTheStreamNumberOnFailure) {
    ScriptedVoice fake;
    {
        fake.AddRef();  // the wrapper's reference
        SapiVoice voice(ComPtr<ISpVoice>::Attach(&fake));
        std::uint32_t n = 0;
        ASSERT_EQ(voice.Speak(u"你好", kSpeakAsync, &n), kVoiceOk);
        EXPECT_EQ(n, 5u);
        std::uint32_t kept = 42;
        ASSERT_EQ(voice.Speak(nullptr, kSpeakPurgeBeforeSpeak, &kept), kVoiceOk);
        EXPECT_EQ(kept, 42u);  // a purge alone gives no stream
        fake.SpeakResult = static_cast<HRESULT>(0x80045006);
        EXPECT_EQ(voice.Speak(u"x", kSpeakAsync, &kept), kVoiceErrDeviceBusy);
        EXPECT_EQ(kept, 42u);
        ASSERT_EQ(fake.Spoken.size(), 3u);
        EXPECT_EQ(fake.Spoken[0].first, L"你好");
        EXPECT_EQ(fake.Spoken[0].second, static_cast<DWORD>(SPF_ASYNC));
        EXPECT_EQ(fake.Spoken[1].second, static_cast<DWORD>(SPF_PURGEBEFORESPEAK));
        EXPECT_EQ(voice.WaitUntilDone(10), E_NOTIMPL);  // results pass through
        std::int32_t rate = 0;
        voice.SetRate(-7);
        voice.GetRate(rate);
        EXPECT_EQ(rate, -7);
    }
    EXPECT_EQ(fake.Refs, 1u);  // the wrapper released its reference
}

TEST(SapiWrapperTest, EventsCarryWordPositionsAndTheirParametersAreReleased) {
    ScriptedVoice fake;
    CountedUnknown carried;
    WCHAR* text = static_cast<WCHAR*>(CoTaskMemAlloc(8 * sizeof(WCHAR)));
    lstrcpyW(text, L"mark");
    fake.Events = {
        Event(SPEI_START_INPUT_STREAM, 3, 0, 0),
        Event(SPEI_WORD_BOUNDARY, 3, 5, 2),  // SAPI: wParam length, lParam position
        Event(SPEI_TTS_BOOKMARK, 3, 0, reinterpret_cast<LPARAM>(text), SPET_LPARAM_IS_STRING),
        Event(SPEI_VOICE_CHANGE, 3, 0, reinterpret_cast<LPARAM>(&carried), SPET_LPARAM_IS_TOKEN),
        Event(SPEI_END_INPUT_STREAM, 3, 0, 0),
    };
    fake.AddRef();
    SapiVoice voice(ComPtr<ISpVoice>::Attach(&fake));
    VoiceEvent e[4];
    std::uint32_t fetched = 0;
    ASSERT_EQ(voice.GetEvents(2, e, &fetched), kVoiceOk);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(e[0].Id, kEventStartInputStream);
    EXPECT_EQ(e[0].StreamNumber, 3u);
    EXPECT_EQ(e[1].Id, kEventWordBoundary);
    EXPECT_EQ(e[1].InputPos, 2u);
    EXPECT_EQ(e[1].InputLen, 5u);
    EXPECT_EQ(e[1].AudioOffset, 640u);
    ASSERT_EQ(voice.GetEvents(4, e, &fetched), kVoiceFalse);
    ASSERT_EQ(fetched, 3u);
    EXPECT_EQ(e[0].InputPos, 0u);  // only word boundaries carry positions
    EXPECT_EQ(e[2].Id, kEventEndInputStream);
    EXPECT_EQ(carried.Refs, 0u);  // the object the event carried was released once
    EXPECT_EQ(voice.GetEvents(1, e, &fetched), kVoiceFalse);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(voice.GetEvents(1, nullptr, &fetched), kVoiceErrPointer);
}

TEST(SapiWrapperTest, StatusFields) {
    ScriptedVoice fake;
    fake.Status.ulCurrentStream = 9;
    fake.Status.ulLastStreamQueued = 11;
    fake.Status.hrLastResult = E_FAIL;
    fake.Status.dwRunningState = SPRS_IS_SPEAKING;
    fake.Status.ulInputWordPos = 4;
    fake.Status.ulInputWordLen = 3;
    fake.AddRef();
    SapiVoice voice(ComPtr<ISpVoice>::Attach(&fake));
    VoiceStatus s;
    ASSERT_EQ(voice.GetStatus(s), kVoiceOk);
    EXPECT_EQ(s.CurrentStream, 9u);
    EXPECT_EQ(s.LastStreamQueued, 11u);
    EXPECT_EQ(s.LastResult, kVoiceErrFail);
    EXPECT_EQ(s.RunningState, kRunStateSpeaking);
    EXPECT_EQ(s.InputWordPos, 4u);
    EXPECT_EQ(s.InputWordLen, 3u);
}

TEST(SapiWrapperTest, ConstantsMatchSapi) {
    EXPECT_EQ(kSpeakAsync, static_cast<std::uint32_t>(SPF_ASYNC));
    EXPECT_EQ(kSpeakPurgeBeforeSpeak, static_cast<std::uint32_t>(SPF_PURGEBEFORESPEAK));
    EXPECT_EQ(kSpeakIsNotXml, static_cast<std::uint32_t>(SPF_IS_NOT_XML));
    EXPECT_EQ(kRunStateDone, static_cast<std::uint32_t>(SPRS_DONE));
    EXPECT_EQ(kRunStateSpeaking, static_cast<std::uint32_t>(SPRS_IS_SPEAKING));
    EXPECT_EQ(kEventStartInputStream, SPEI_START_INPUT_STREAM);
    EXPECT_EQ(kEventEndInputStream, SPEI_END_INPUT_STREAM);
    EXPECT_EQ(kEventWordBoundary, SPEI_WORD_BOUNDARY);
    EXPECT_EQ(kVoiceInterestMask, (0xFFFEull | (1ull << SPEI_RESERVED1) | (1ull << SPEI_RESERVED2)));
    EXPECT_EQ(kVoiceErrNotFound, SPERR_NOT_FOUND);
    EXPECT_EQ(kVoiceErrFail, E_FAIL);
    EXPECT_EQ(kVoiceErrInvalidArg, E_INVALIDARG);
    EXPECT_EQ(kVoiceErrOutOfMemory, E_OUTOFMEMORY);
    EXPECT_EQ(kVoiceErrPointer, E_POINTER);
}

}  // namespace
