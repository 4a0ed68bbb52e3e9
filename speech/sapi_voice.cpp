#include "speech/sapi_voice.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// Copies and frees a string SAPI allocated.
std::u16string TakeString(WCHAR* s) {
    std::u16string out = s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
    if (s) CoTaskMemFree(s);
    return out;
}

// SPFEI_ALL_EVENTS: the event interest of a stream bound to a file.
constexpr ULONGLONG kAllEvents = 0xEFFFFFFFFFFFFFFFull;

// Releases what an event carries (SpClearEvent).
void ClearEvent(SPEVENT& e) {
    switch (e.elParamType) {
    case SPET_LPARAM_IS_TOKEN:
    case SPET_LPARAM_IS_OBJECT:
        if (e.lParam) reinterpret_cast<IUnknown*>(e.lParam)->Release();
        break;
    case SPET_LPARAM_IS_POINTER:
    case SPET_LPARAM_IS_STRING:
        if (e.lParam) CoTaskMemFree(reinterpret_cast<void*>(e.lParam));
        break;
    default:
        break;
    }
    e.lParam = 0;
}

VoiceResult GetKeyString(ISpDataKey* key, const char16_t* valueName, std::u16string& value) {
    value.clear();
    if (!key) return kVoiceErrPointer;
    WCHAR* text = nullptr;
    HRESULT hr = key->GetStringValue(W(valueName ? valueName : u""), &text);
    if (SUCCEEDED(hr)) value = TakeString(text);
    else if (text) CoTaskMemFree(text);
    return hr;
}

VoiceResult OpenSubKey(ISpDataKey* key, const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& out) {
    out.reset();
    if (!key || !subKeyName) return kVoiceErrPointer;
    ComPtr<ISpDataKey> sub;
    HRESULT hr = key->OpenKey(W(subKeyName), sub.Put());
    if (SUCCEEDED(hr) && sub) out = std::make_unique<SapiDataKey>(std::move(sub));
    return hr;
}

// CoInitialize calls of this thread that succeeded and are not yet undone.
thread_local int ComInits = 0;

}  // namespace

// ---------------------------------------------------------------- tokens

VoiceResult SapiDataKey::GetStringValue(const char16_t* valueName, std::u16string& value) const {
    return GetKeyString(Key.Get(), valueName, value);
}

VoiceResult SapiDataKey::OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const {
    return OpenSubKey(Key.Get(), subKeyName, key);
}

VoiceResult SapiToken::GetStringValue(const char16_t* valueName, std::u16string& value) const {
    return GetKeyString(Token.Get(), valueName, value);
}

VoiceResult SapiToken::OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const {
    return OpenSubKey(Token.Get(), subKeyName, key);
}

std::u16string SapiToken::Id() const {
    WCHAR* id = nullptr;
    if (!Token || FAILED(Token->GetId(&id))) return {};
    return TakeString(id);
}

// ---------------------------------------------------------------- voice

SapiVoice::~SapiVoice() {
    if (V) V->SetNotifySink(nullptr);  // no callback into a dead object
    if (WaveStream) CloseWaveOutput();
}

VoiceResult SapiVoice::Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) {
    ULONG number = 0;
    HRESULT hr = V->Speak(text ? W(text) : nullptr, flags, &number);
    if (SUCCEEDED(hr) && streamNumber && text) *streamNumber = number;
    return hr;
}

VoiceResult SapiVoice::WaitUntilDone(std::uint32_t timeoutMs) { return V->WaitUntilDone(timeoutMs); }
VoiceResult SapiVoice::Pause() { return V->Pause(); }
VoiceResult SapiVoice::Resume() { return V->Resume(); }

VoiceResult SapiVoice::GetStatus(VoiceStatus& status) {
    SPVOICESTATUS s{};
    HRESULT hr = V->GetStatus(&s, nullptr);
    status = VoiceStatus();
    if (FAILED(hr)) return hr;
    status.CurrentStream = s.ulCurrentStream;
    status.LastStreamQueued = s.ulLastStreamQueued;
    status.LastResult = s.hrLastResult;
    status.RunningState = s.dwRunningState;
    status.InputWordPos = s.ulInputWordPos;
    status.InputWordLen = s.ulInputWordLen;
    return hr;
}

VoiceResult SapiVoice::SetVoice(const VoiceTokenPtr& token) {
    if (!token) return V->SetVoice(nullptr);
    auto* own = dynamic_cast<SapiToken*>(token.get());
    if (!own) return kVoiceErrInvalidArg;
    return V->SetVoice(own->Raw());
}

VoiceResult SapiVoice::GetVoice(VoiceTokenPtr& token) {
    token.reset();
    ComPtr<ISpObjectToken> t;
    HRESULT hr = V->GetVoice(t.Put());
    if (SUCCEEDED(hr) && t) token = std::make_shared<SapiToken>(std::move(t));
    return hr;
}

VoiceResult SapiVoice::SetRate(std::int32_t rate) { return V->SetRate(rate); }

VoiceResult SapiVoice::GetRate(std::int32_t& rate) {
    long r = 0;
    HRESULT hr = V->GetRate(&r);
    rate = r;
    return hr;
}

VoiceResult SapiVoice::SetVolume(std::uint16_t volume) { return V->SetVolume(volume); }

VoiceResult SapiVoice::GetVolume(std::uint16_t& volume) {
    USHORT v = 0;
    HRESULT hr = V->GetVolume(&v);
    volume = v;
    return hr;
}

VoiceResult SapiVoice::SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) {
    return V->SetInterest(eventInterest, queuedInterest);
}

void __stdcall SapiVoice::Notify(WPARAM, LPARAM self) {
    auto* voice = reinterpret_cast<SapiVoice*>(self);
    std::function<void()> callback;
    {
        std::lock_guard<std::mutex> hold(voice->CallbackLock);
        callback = voice->Callback;
    }
    if (callback) callback();
}

VoiceResult SapiVoice::SetNotifyCallback(std::function<void()> callback) {
    bool on = static_cast<bool>(callback);
    {
        std::lock_guard<std::mutex> hold(CallbackLock);
        Callback = std::move(callback);
    }
    if (!on) return V->SetNotifySink(nullptr);
    return V->SetNotifyCallbackFunction(&SapiVoice::Notify, 0, reinterpret_cast<LPARAM>(this));
}

VoiceResult SapiVoice::SetNotifyWindowMessage(HWND window, UINT message) {
    return V->SetNotifyWindowMessage(window, message, 0, 0);
}

VoiceResult SapiVoice::GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) {
    if (fetched) *fetched = 0;
    if (count > 0 && !events) return kVoiceErrPointer;
    std::uint32_t n = 0;
    HRESULT hr = S_OK;
    // One at a time, so that each event's parameter is released right after it was copied.
    while (n < count) {
        SPEVENT e{};
        ULONG got = 0;
        hr = V->GetEvents(1, &e, &got);
        if (FAILED(hr) || got == 0) break;
        VoiceEvent& out = events[n++];
        out = VoiceEvent();
        out.Id = static_cast<std::uint16_t>(e.eEventId);
        out.StreamNumber = e.ulStreamNum;
        out.AudioOffset = e.ullAudioStreamOffset;
        if (e.eEventId == SPEI_WORD_BOUNDARY) {
            out.InputPos = static_cast<std::uint32_t>(e.lParam);
            out.InputLen = static_cast<std::uint32_t>(e.wParam);
        }
        ClearEvent(e);
        if (hr != S_OK) break;
    }
    if (fetched) *fetched = n;
    if (FAILED(hr)) return hr;
    return n == count ? kVoiceOk : kVoiceFalse;
}

VoiceResult SapiVoice::SetWaveFileOutput(const char16_t* path) {
    if (!path || !*path) return kVoiceErrInvalidArg;
    if (WaveStream) return kVoiceErrFail;  // one file at a time
    ComPtr<ISpStreamFormat> output;
    HRESULT hr = V->GetOutputStream(output.Put());
    if (hr != S_OK || !output) return FAILED(hr) ? hr : kVoiceErrFail;

    GUID formatId{};
    WAVEFORMATEX* format = nullptr;
    hr = output->GetFormat(&formatId, &format);
    if (FAILED(hr)) return hr;
    if (format) {
        if (format->wFormatTag == WAVE_FORMAT_PCM) format->cbSize = 0;
        if (format->nSamplesPerSec == 0 || format->wBitsPerSample == 0 || format->nChannels == 0) {
            CoTaskMemFree(format);
            return kVoiceErrUnsupportedFormat;
        }
    }
    ComPtr<ISpStream> stream;
    hr = CoCreateInstance(CLSID_SpStream, nullptr, CLSCTX_ALL, IID_ISpStream, stream.PutVoid());
    if (SUCCEEDED(hr)) hr = stream->BindToFile(W(path), SPFM_CREATE_ALWAYS, &formatId, format, kAllEvents);
    if (format) CoTaskMemFree(format);
    if (FAILED(hr)) return hr;
    hr = V->SetOutput(stream.Get(), TRUE);
    if (FAILED(hr)) {
        stream->Close();
        return hr;
    }
    WaveStream = std::move(stream);
    SavedOutput = std::move(output);
    return S_OK;
}

VoiceResult SapiVoice::CloseWaveOutput() {
    if (!WaveStream) return kVoiceFalse;
    // Give the voice its previous output back first, so that nothing holds the file.
    HRESULT hr = V->SetOutput(SavedOutput.Get(), FALSE);
    HRESULT closed = WaveStream->Close();
    WaveStream.Reset();
    SavedOutput.Reset();
    return FAILED(hr) ? hr : closed;
}

// ---------------------------------------------------------------- system

VoiceResult SapiVoiceSystem::InitThread() {
    HRESULT hr = CoInitialize(nullptr);
    if (SUCCEEDED(hr)) ++ComInits;
    return hr;
}

void SapiVoiceSystem::UninitThread() {
    if (ComInits <= 0) return;
    --ComInits;
    CoUninitialize();
}

VoiceResult SapiVoiceSystem::CreateVoice(std::unique_ptr<Voice>& voice) {
    voice.reset();
    ComPtr<ISpVoice> v;
    HRESULT hr = CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice, v.PutVoid());
    if (FAILED(hr)) return hr;
    if (!v) return kVoiceErrFail;
    voice = std::make_unique<SapiVoice>(std::move(v));
    return hr;
}

VoiceResult SapiVoiceSystem::EnumTokens(const char16_t* categoryId, const char16_t* required, const char16_t* optional,
                                        std::vector<VoiceTokenPtr>& tokens) {
    tokens.clear();
    if (!categoryId) return kVoiceErrPointer;
    ComPtr<ISpObjectTokenCategory> category;
    HRESULT hr = CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL, IID_ISpObjectTokenCategory,
                                  category.PutVoid());
    if (FAILED(hr)) return hr;
    hr = category->SetId(W(categoryId), FALSE);
    if (FAILED(hr)) return hr;
    auto cond = [](const char16_t* s) { return (s && *s) ? W(s) : nullptr; };
    ComPtr<IEnumSpObjectTokens> list;
    hr = category->EnumTokens(cond(required), cond(optional), list.Put());
    if (FAILED(hr)) return hr;
    if (!list) return kVoiceOk;
    while (true) {
        ComPtr<ISpObjectToken> token;
        if (list->Next(1, token.Put(), nullptr) != S_OK || !token) break;
        tokens.push_back(std::make_shared<SapiToken>(std::move(token)));
    }
    return kVoiceOk;
}
