#pragma once
// The voice interface over SAPI 5 (Windows only). The calling thread must have
// initialised COM (VoiceSystem::InitThread does it) before creating voices or
// enumerating tokens. A SapiVoice may be used from another thread of the
// process as SAPI allows (SpVoice is free-threaded).
#include <windows.h>
#include <sapi.h>

#include <mutex>

#include "speech/voice.h"

// Owns one COM reference.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& o) : P(o.P) { if (P) P->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : P(o.P) { o.P = nullptr; }
    ComPtr& operator=(ComPtr o) noexcept { std::swap(P, o.P); return *this; }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller owns.
    static ComPtr Attach(T* p) { ComPtr c; c.P = p; return c; }
    void Reset() { if (P) { T* p = P; P = nullptr; p->Release(); } }
    // For out-parameters: releases what was held.
    T** Put() { Reset(); return &P; }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Get() const { return P; }
    T* operator->() const { return P; }
    explicit operator bool() const { return P != nullptr; }

private:
    T* P = nullptr;
};

class SapiDataKey : public VoiceDataKey {
public:
    explicit SapiDataKey(ComPtr<ISpDataKey> key) : Key(std::move(key)) {}
    VoiceResult GetStringValue(const char16_t* valueName, std::u16string& value) const override;
    VoiceResult OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const override;

private:
    ComPtr<ISpDataKey> Key;
};

class SapiToken : public VoiceToken {
public:
    explicit SapiToken(ComPtr<ISpObjectToken> token) : Token(std::move(token)) {}
    VoiceResult GetStringValue(const char16_t* valueName, std::u16string& value) const override;
    VoiceResult OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const override;
    std::u16string Id() const override;
    ISpObjectToken* Raw() const { return Token.Get(); }

private:
    ComPtr<ISpObjectToken> Token;
};

// The notify callback is delivered through the message queue of the thread
// that called SetNotifyCallback (SAPI's callback notification), so that
// thread must pump messages.
class SapiVoice : public Voice {
public:
    explicit SapiVoice(ComPtr<ISpVoice> voice) : V(std::move(voice)) {}
    ~SapiVoice() override;

    VoiceResult Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) override;
    VoiceResult WaitUntilDone(std::uint32_t timeoutMs) override;
    VoiceResult Pause() override;
    VoiceResult Resume() override;
    VoiceResult GetStatus(VoiceStatus& status) override;
    VoiceResult SetVoice(const VoiceTokenPtr& token) override;
    VoiceResult GetVoice(VoiceTokenPtr& token) override;
    VoiceResult SetRate(std::int32_t rate) override;
    VoiceResult GetRate(std::int32_t& rate) override;
    VoiceResult SetVolume(std::uint16_t volume) override;
    VoiceResult GetVolume(std::uint16_t& volume) override;
    VoiceResult SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) override;
    VoiceResult SetNotifyCallback(std::function<void()> callback) override;
    VoiceResult GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) override;
    VoiceResult SetWaveFileOutput(const char16_t* path) override;
    VoiceResult CloseWaveOutput() override;

    // SAPI's own window-message notification: message to window for each event.
    VoiceResult SetNotifyWindowMessage(HWND window, UINT message);
    ISpVoice* Raw() const { return V.Get(); }

private:
    static void __stdcall Notify(WPARAM, LPARAM self);

    ComPtr<ISpVoice> V;
    std::mutex CallbackLock;  // guards Callback
    std::function<void()> Callback;
    ComPtr<ISpStream> WaveStream;          // bound to the WAV file while it is the output
    ComPtr<ISpStreamFormat> SavedOutput;   // the output before it
};

class SapiVoiceSystem : public VoiceSystem {
public:
    VoiceResult InitThread() override;    // CoInitialize(nullptr)
    void UninitThread() override;         // CoUninitialize after a successful InitThread
    VoiceResult CreateVoice(std::unique_ptr<Voice>& voice) override;
    VoiceResult EnumTokens(const char16_t* categoryId, const char16_t* required, const char16_t* optional,
                           std::vector<VoiceTokenPtr>& tokens) override;
};
