#include "speech/simulated_voice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>

namespace {

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::u16string_view> SplitList(std::u16string_view s) {
    std::vector<std::u16string_view> parts;
    while (true) {
        size_t semi = s.find(u';');
        std::u16string_view part = Trim(s.substr(0, semi));
        if (!part.empty()) parts.push_back(part);
        if (semi == std::u16string_view::npos) break;
        s.remove_prefix(semi + 1);
    }
    return parts;
}

using ValueMap = std::map<std::u16string, std::u16string>;

const std::u16string* FindNoCase(const ValueMap& values, std::u16string_view name) {
    for (const auto& [key, value] : values)
        if (EqualsNoCase(key, name)) return &value;
    return nullptr;
}

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// A key of plain string values (the "Attributes" subkey).
class SimulatedDataKey : public VoiceDataKey {
public:
    explicit SimulatedDataKey(ValueMap values) : Values(std::move(values)) {}
    VoiceResult GetStringValue(const char16_t* valueName, std::u16string& value) const override {
        const std::u16string* found = FindNoCase(Values, valueName ? valueName : u"");
        value = found ? *found : std::u16string();
        return found ? kVoiceOk : kVoiceErrNotFound;
    }
    VoiceResult OpenKey(const char16_t*, std::unique_ptr<VoiceDataKey>& key) const override {
        key.reset();
        return kVoiceErrNotFound;
    }

private:
    ValueMap Values;
};

class SimulatedToken : public VoiceToken {
public:
    explicit SimulatedToken(SimulatedTokenSpec spec) : Spec(std::move(spec)), FailuresLeft(Spec.SpeakErrorCount) {}

    VoiceResult GetStringValue(const char16_t* valueName, std::u16string& value) const override {
        const std::u16string* found = FindNoCase(Spec.Values, valueName ? valueName : u"");
        value = found ? *found : std::u16string();
        return found ? kVoiceOk : kVoiceErrNotFound;
    }
    VoiceResult OpenKey(const char16_t* subKeyName, std::unique_ptr<VoiceDataKey>& key) const override {
        key.reset();
        if (!Spec.HasAttributes || !subKeyName || !EqualsNoCase(subKeyName, u"Attributes")) return kVoiceErrNotFound;
        key = std::make_unique<SimulatedDataKey>(Spec.Attributes);
        return kVoiceOk;
    }
    std::u16string Id() const override { return Spec.Id; }

    // The configured Speak failure, counted down; kVoiceOk once used up.
    VoiceResult TakeSpeakFailure() {
        std::lock_guard<std::mutex> hold(FailLock);
        if (Spec.SpeakError >= 0 || FailuresLeft == 0) return kVoiceOk;
        if (FailuresLeft > 0) --FailuresLeft;
        return Spec.SpeakError;
    }

    bool Matches(std::u16string_view condition) const {
        bool negate = false;
        std::u16string_view name = condition, wanted;
        bool hasValue = false;
        if (size_t ne = condition.find(u"!="); ne != std::u16string_view::npos) {
            negate = true;
            hasValue = true;
            name = Trim(condition.substr(0, ne));
            wanted = Trim(condition.substr(ne + 2));
        } else if (size_t eq = condition.find(u'='); eq != std::u16string_view::npos) {
            hasValue = true;
            name = Trim(condition.substr(0, eq));
            wanted = Trim(condition.substr(eq + 1));
        }
        const std::u16string* value = Spec.HasAttributes ? FindNoCase(Spec.Attributes, name) : nullptr;
        bool match = value != nullptr;
        if (match && hasValue) {
            auto members = SplitList(*value);
            match = std::any_of(members.begin(), members.end(),
                                [&](std::u16string_view m) { return EqualsNoCase(m, wanted); });
        }
        return negate ? !match : match;
    }

    const SimulatedTokenSpec Spec;

private:
    std::mutex FailLock;  // guards FailuresLeft
    int FailuresLeft;
};

// What CreateVoice hands out: the owner's reference to a shared voice; releasing it shuts the voice down.
class SimulatedVoiceRef : public Voice {
public:
    explicit SimulatedVoiceRef(std::shared_ptr<SimulatedVoice> voice) : V(std::move(voice)) {}
    ~SimulatedVoiceRef() override { V->Shutdown(); }

    VoiceResult Speak(const char16_t* t, std::uint32_t f, std::uint32_t* s) override { return V->Speak(t, f, s); }
    VoiceResult WaitUntilDone(std::uint32_t ms) override { return V->WaitUntilDone(ms); }
    VoiceResult Pause() override { return V->Pause(); }
    VoiceResult Resume() override { return V->Resume(); }
    VoiceResult GetStatus(VoiceStatus& s) override { return V->GetStatus(s); }
    VoiceResult SetVoice(const VoiceTokenPtr& t) override { return V->SetVoice(t); }
    VoiceResult GetVoice(VoiceTokenPtr& t) override { return V->GetVoice(t); }
    VoiceResult SetRate(std::int32_t r) override { return V->SetRate(r); }
    VoiceResult GetRate(std::int32_t& r) override { return V->GetRate(r); }
    VoiceResult SetVolume(std::uint16_t v) override { return V->SetVolume(v); }
    VoiceResult GetVolume(std::uint16_t& v) override { return V->GetVolume(v); }
    VoiceResult SetInterest(std::uint64_t e, std::uint64_t q) override { return V->SetInterest(e, q); }
    VoiceResult SetNotifyCallback(std::function<void()> cb) override { return V->SetNotifyCallback(std::move(cb)); }
    VoiceResult GetEvents(std::uint32_t n, VoiceEvent* e, std::uint32_t* f) override { return V->GetEvents(n, e, f); }
    VoiceResult SetWaveFileOutput(const char16_t* path) override { return V->SetWaveFileOutput(path); }
    VoiceResult CloseWaveOutput() override { return V->CloseWaveOutput(); }

private:
    std::shared_ptr<SimulatedVoice> V;
};

bool IsAsciiAlnum(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr std::uint32_t kKnownSpeakFlags = 0x7F;  // SPF_ASYNC .. SPF_NLP_SPEAK_PUNC

}  // namespace

std::vector<std::pair<std::uint32_t, std::uint32_t>> SimulatedWords(const std::u16string& text) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> words;
    size_t i = 0, n = text.size();
    while (i < n) {
        char16_t c = text[i];
        if (IsAsciiAlnum(c)) {
            size_t j = i;
            while (j < n && IsAsciiAlnum(text[j])) ++j;
            words.emplace_back(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j - i));
            i = j;
        } else if (c >= 0x2E80) {
            bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            words.emplace_back(static_cast<std::uint32_t>(i), pair ? 2u : 1u);
            i += pair ? 2 : 1;
        } else {
            ++i;
        }
    }
    return words;
}

SimulatedTokenSpec MakeSimulatedToken(std::u16string id, std::u16string nameEn, std::u16string nameZh,
                                      std::u16string language, std::u16string gender, bool vendorPreferred) {
    SimulatedTokenSpec spec;
    spec.Id = std::move(id);
    std::u16string name = nameEn.empty() ? nameZh : nameEn;
    if (!name.empty()) spec.Values[u""] = name;
    if (!nameEn.empty()) spec.Values[u"409"] = nameEn;
    if (!nameZh.empty()) spec.Values[u"804"] = nameZh;
    if (!name.empty()) spec.Attributes[u"Name"] = name;
    if (!language.empty()) spec.Attributes[u"Language"] = language;
    if (!gender.empty()) spec.Attributes[u"Gender"] = gender;
    if (vendorPreferred) spec.Attributes[u"VendorPreferred"] = u"";
    return spec;
}

std::vector<SimulatedTokenSpec> SimulatedStandardTokens() {
    const std::u16string base = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\";
    return {
        MakeSimulatedToken(base + u"SimAnna", u"Sim Anna", u"", u"409", u"Female"),
        MakeSimulatedToken(base + u"SimDavid", u"Sim David", u"", u"409", u"Male", true),
        MakeSimulatedToken(base + u"SimHuihui", u"Sim Huihui - Chinese (Simplified)", u"模拟慧慧 - 中文(简体)",
                           u"804", u"Female"),
    };
}

// ---------------------------------------------------------------- SimulatedVoice

SimulatedVoice::SimulatedVoice(VoiceTokenPtr defaultToken, SimulatedVoiceOptions options)
    : Options(options), DefaultToken(defaultToken), Token(std::move(defaultToken)) {
    Worker = std::thread([this] { Run(); });
}

SimulatedVoice::~SimulatedVoice() { Shutdown(); }

void SimulatedVoice::Shutdown() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Stopping = true;
        Queue.clear();
        Wake.notify_all();
        Progress.notify_all();
    }
    if (Worker.joinable()) Worker.join();
    std::lock_guard<std::mutex> hold(Lock);
    if (Wave.is_open()) Wave.close();  // left without sizes: the output was not closed by its user
}

void SimulatedVoice::Trace(std::string call) { CallTrace.push_back(std::move(call)); }

bool SimulatedVoice::CanAdvance() const {
    return !Stopping && !Paused && !Queue.empty() &&
           (Options.Pace != SimulatedPace::Manual || Credits > 0 || (Options.ManualRunsWhenWaited && Waiters > 0));
}

void SimulatedVoice::Emit(std::uint16_t id, std::uint32_t stream, std::uint32_t pos, std::uint32_t len) {
    VoiceEvent e;
    e.Id = id;
    e.StreamNumber = stream;
    e.AudioOffset = AudioBytes;
    e.InputPos = pos;
    e.InputLen = len;
    if (QueuedInterest & EventBit(id)) Events.push_back(e);
    if ((NotifyEventInterest & EventBit(id)) && Callback) ++NotifyPending;
    ++EventsMade;
    Progress.notify_all();
}

// A tone per word, its pitch stepping with the word's index, at half scale in
// every channel; 8-bit samples are unsigned, wider ones signed little-endian.
void SimulatedVoice::WriteAudio(std::uint32_t bytes, std::size_t word) {
    AudioBytes += bytes;
    if (!Wave.is_open()) return;
    const unsigned width = Options.BitsPerSample / 8u ? Options.BitsPerSample / 8u : 1u;
    const unsigned frame = width * (Options.Channels ? Options.Channels : 1u);
    const double step = 2 * 3.14159265358979 * (330.0 + 55.0 * static_cast<double>(word % 8)) / Options.SampleRate;
    std::vector<char> audio(bytes, 0);
    for (std::uint32_t at = 0, n = 0; at + frame <= bytes; at += frame, ++n) {
        const double v = 0.5 * std::sin(step * n);
        for (unsigned c = 0; c < frame; c += width) {
            if (width == 1) {
                audio[at + c] = static_cast<char>(static_cast<std::uint8_t>(128 + std::lround(127 * v)));
                continue;
            }
            const auto sample = static_cast<std::int32_t>(std::lround(v * 2147483647.0));
            for (unsigned b = 0; b < width; ++b) {  // the top bytes of the 32-bit sample, low bytes zero
                const int shift = 8 * (static_cast<int>(b) + 4 - static_cast<int>(width));
                if (shift >= 0) audio[at + c + b] = static_cast<char>(static_cast<std::uint32_t>(sample) >> shift);
            }
        }
    }
    Wave.write(audio.data(), static_cast<std::streamsize>(audio.size()));
    WaveDataBytes += bytes;
}

bool SimulatedVoice::AdvanceOne() {
    if (Queue.empty()) return false;
    Stream& s = Queue.front();
    if (!s.Started) {
        s.Started = true;
        CurrentStream = s.Number;
        WordPos = WordLen = 0;
        Emit(kEventStartInputStream, s.Number, 0, 0);
    } else if (s.NextWord < s.Words.size()) {
        auto [pos, len] = s.Words[s.NextWord++];
        WordPos = pos;
        WordLen = len;
        Emit(kEventWordBoundary, s.Number, pos, len);
        // 100 ms of audio per word.
        WriteAudio(Options.SampleRate / 10 * Options.Channels * (Options.BitsPerSample / 8), s.NextWord - 1);
    } else {
        Emit(kEventEndInputStream, s.Number, 0, 0);
        Queue.pop_front();
    }
    if (Options.Pace == SimulatedPace::Manual && Credits > 0) --Credits;
    return true;
}

void SimulatedVoice::DeliverNotifications(std::unique_lock<std::mutex>& lock) {
    while (NotifyPending > 0 && !Stopping) {
        --NotifyPending;
        std::function<void()> callback = Callback;
        Notifying = true;
        lock.unlock();
        if (callback) callback();
        lock.lock();
        Notifying = false;
        Progress.notify_all();
    }
    if (Stopping) NotifyPending = 0;
}

void SimulatedVoice::Run() {
    std::unique_lock<std::mutex> lock(Lock);
    while (true) {
        DeliverNotifications(lock);
        if (Stopping) break;
        if (!CanAdvance()) {
            Wake.wait(lock);
            continue;
        }
        if (Options.Pace == SimulatedPace::Timed) {
            // Any change of the voice (purge, pause, pace, shutdown, a notification) restarts the delay.
            std::uint64_t made = EventsMade;
            size_t queued = Queue.size();
            bool paused = Paused;
            SimulatedPace pace = Options.Pace;
            bool changed = Wake.wait_for(lock, std::chrono::milliseconds(Options.EventDelayMs), [&] {
                return Stopping || NotifyPending > 0 || EventsMade != made || Queue.size() < queued ||
                       Paused != paused || Options.Pace != pace;
            });
            if (changed) continue;
        }
        AdvanceOne();
    }
}

VoiceResult SimulatedVoice::Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) {
    std::unique_lock<std::mutex> lock(Lock);
    SimulatedSpeakCall call;
    call.HasText = text != nullptr;
    if (text) call.Text = text;
    call.Flags = flags;
    if (Token) {
        call.TokenId = Token->Id();
        Token->GetStringValue(u"", call.TokenName);
    }
    call.Rate = Options.Rate;
    call.Volume = Options.Volume;

    VoiceResult result = kVoiceOk;
    if (Stopping) {
        result = kVoiceErrUninitialized;
    } else if (flags & ~kKnownSpeakFlags) {
        result = kVoiceErrInvalidFlags;
    } else if (text) {
        if (FailCount != 0) {
            result = FailError;
            if (FailCount > 0) --FailCount;
        } else if (!Token) {
            result = kVoiceErrNotFound;
        } else if (auto* token = dynamic_cast<SimulatedToken*>(Token.get())) {
            result = token->TakeSpeakFailure();
        }
    }
    if (VoiceSucceeded(result) && (flags & kSpeakPurgeBeforeSpeak) && !Queue.empty()) {
        if (Queue.front().Started) Emit(kEventEndInputStream, Queue.front().Number, 0, 0);
        Queue.clear();
        Wake.notify_all();
        Progress.notify_all();
    }
    std::uint32_t number = 0;
    if (VoiceSucceeded(result) && text) {
        Stream s;
        s.Number = number = NextStreamNumber++;
        s.Text = text;
        s.Words = SimulatedWords(s.Text);
        Queue.push_back(std::move(s));
        LastQueued = number;
        if (streamNumber) *streamNumber = number;
        Wake.notify_all();
    }
    call.Result = result;
    call.StreamNumber = number;
    Log.push_back(call);
    Trace("Speak " + std::to_string(number));
    if (VoiceSucceeded(result) && text && !(flags & kSpeakAsync)) {
        ++Waiters;
        Wake.notify_all();
        Progress.wait(lock, [&] {
            return Stopping || std::none_of(Queue.begin(), Queue.end(), [&](const Stream& s) { return s.Number == number; });
        });
        --Waiters;
    }
    return result;
}

VoiceResult SimulatedVoice::WaitUntilDone(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(Lock);
    Trace("WaitUntilDone");
    auto done = [&] { return Stopping || Queue.empty(); };
    ++Waiters;
    Wake.notify_all();
    if (timeoutMs == kVoiceInfinite)
        Progress.wait(lock, done);
    else
        Progress.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    --Waiters;
    return done() ? kVoiceOk : kVoiceFalse;
}

VoiceResult SimulatedVoice::Pause() {
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping) return kVoiceErrUninitialized;
    Trace("Pause");
    Paused = true;
    Wake.notify_all();
    Progress.notify_all();
    return kVoiceOk;
}

VoiceResult SimulatedVoice::Resume() {
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping) return kVoiceErrUninitialized;
    Trace("Resume");
    Paused = false;
    Wake.notify_all();
    return kVoiceOk;
}

VoiceResult SimulatedVoice::GetStatus(VoiceStatus& status) {
    std::lock_guard<std::mutex> hold(Lock);
    status = VoiceStatus();
    status.CurrentStream = CurrentStream;
    status.LastStreamQueued = LastQueued;
    status.LastResult = Log.empty() ? kVoiceOk : Log.back().Result;
    status.RunningState = Queue.empty() ? kRunStateDone : kRunStateSpeaking;
    status.InputWordPos = WordPos;
    status.InputWordLen = WordLen;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::SetVoice(const VoiceTokenPtr& token) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping) return kVoiceErrUninitialized;
    Trace("SetVoice " + (token ? Narrow(token->Id()) : std::string("(default)")));
    if (!token) {
        Token = DefaultToken;
        return kVoiceOk;
    }
    auto* own = dynamic_cast<SimulatedToken*>(token.get());
    if (!own) return kVoiceErrInvalidArg;
    if (VoiceFailed(own->Spec.SetVoiceResult)) return own->Spec.SetVoiceResult;
    Token = token;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::GetVoice(VoiceTokenPtr& token) {
    std::lock_guard<std::mutex> hold(Lock);
    token = Token;
    return Token ? kVoiceOk : kVoiceErrNotFound;
}

VoiceResult SimulatedVoice::SetRate(std::int32_t rate) {
    std::lock_guard<std::mutex> hold(Lock);
    Trace("SetRate " + std::to_string(rate));
    if (rate < -10 || rate > 10) return kVoiceErrInvalidArg;
    Options.Rate = rate;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::GetRate(std::int32_t& rate) {
    std::lock_guard<std::mutex> hold(Lock);
    rate = Options.Rate;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::SetVolume(std::uint16_t volume) {
    std::lock_guard<std::mutex> hold(Lock);
    Trace("SetVolume " + std::to_string(volume));
    if (volume > 100) return kVoiceErrInvalidArg;
    Options.Volume = volume;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::GetVolume(std::uint16_t& volume) {
    std::lock_guard<std::mutex> hold(Lock);
    volume = Options.Volume;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) {
    std::lock_guard<std::mutex> hold(Lock);
    NotifyEventInterest = eventInterest;
    QueuedInterest = queuedInterest;
    return kVoiceOk;
}

VoiceResult SimulatedVoice::SetNotifyCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> hold(Lock);
    Callback = std::move(callback);
    return kVoiceOk;
}

VoiceResult SimulatedVoice::GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) {
    std::lock_guard<std::mutex> hold(Lock);
    if (count > 0 && !events) return kVoiceErrPointer;
    std::uint32_t n = 0;
    while (n < count && !Events.empty()) {
        events[n++] = Events.front();
        Events.pop_front();
    }
    if (fetched) *fetched = n;
    return n == count ? kVoiceOk : kVoiceFalse;
}

VoiceResult SimulatedVoice::SetWaveFileOutput(const char16_t* path) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Stopping) return kVoiceErrUninitialized;
    if (!path || !*path) return kVoiceErrInvalidArg;
    if (Options.SampleRate == 0 || Options.BitsPerSample == 0 || Options.Channels == 0) return kVoiceErrUnsupportedFormat;
    if (Wave.is_open()) return kVoiceErrFail;  // one file at a time
    Wave.open(std::filesystem::path(std::u16string(path)), std::ios::binary | std::ios::trunc);
    if (!Wave) {
        Wave = std::ofstream();
        return kVoiceErrFileNotFound;
    }
    // RIFF header; the two sizes are written by CloseWaveOutput.
    auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) Wave.put(static_cast<char>(v >> (8 * i))); };
    auto put16 = [&](std::uint16_t v) { Wave.put(static_cast<char>(v)); Wave.put(static_cast<char>(v >> 8)); };
    std::uint16_t blockAlign = static_cast<std::uint16_t>(Options.Channels * (Options.BitsPerSample / 8));
    Wave.write("RIFF", 4);
    put32(0);
    Wave.write("WAVEfmt ", 8);
    put32(16);
    put16(1);  // PCM
    put16(Options.Channels);
    put32(Options.SampleRate);
    put32(Options.SampleRate * blockAlign);
    put16(blockAlign);
    put16(Options.BitsPerSample);
    Wave.write("data", 4);
    put32(0);
    WaveDataBytes = 0;
    return Wave ? kVoiceOk : kVoiceErrFail;
}

VoiceResult SimulatedVoice::CloseWaveOutput() {
    std::lock_guard<std::mutex> hold(Lock);
    if (!Wave.is_open()) return kVoiceFalse;
    auto put32At = [&](std::streamoff at, std::uint32_t v) {
        Wave.seekp(at);
        for (int i = 0; i < 4; ++i) Wave.put(static_cast<char>(v >> (8 * i)));
    };
    put32At(4, 36 + WaveDataBytes);
    put32At(40, WaveDataBytes);
    bool ok = static_cast<bool>(Wave);
    Wave.close();
    return ok ? kVoiceOk : kVoiceErrFail;
}

void SimulatedVoice::SetPace(SimulatedPace pace, int eventDelayMs) {
    std::lock_guard<std::mutex> hold(Lock);
    Options.Pace = pace;
    Options.EventDelayMs = eventDelayMs;
    Credits = 0;
    Wake.notify_all();
    Progress.notify_all();
}

int SimulatedVoice::Step(int n) {
    std::unique_lock<std::mutex> lock(Lock);
    if (Stopping || Options.Pace != SimulatedPace::Manual || n <= 0) return 0;
    std::uint64_t before = EventsMade;
    Credits = n;
    Wake.notify_all();
    Progress.wait(lock, [&] {
        bool settled = NotifyPending == 0 && !Notifying;
        bool blocked = Paused || Queue.empty() || Options.Pace != SimulatedPace::Manual;
        return Stopping || (settled && (Credits == 0 || blocked));
    });
    Credits = 0;
    return static_cast<int>(EventsMade - before);
}

void SimulatedVoice::FailSpeak(VoiceResult error, int count) {
    std::lock_guard<std::mutex> hold(Lock);
    FailError = error;
    FailCount = VoiceFailed(error) ? count : 0;
}

std::vector<SimulatedSpeakCall> SimulatedVoice::SpeakCalls() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Log;
}

std::size_t SimulatedVoice::SpeakCallCount() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Log.size();
}

std::vector<std::string> SimulatedVoice::Calls() const {
    std::lock_guard<std::mutex> hold(Lock);
    return CallTrace;
}

bool SimulatedVoice::IsPaused() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Paused;
}

std::size_t SimulatedVoice::PendingEvents() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Events.size();
}

// ---------------------------------------------------------------- SimulatedVoiceSystem

SimulatedVoiceSystem::SimulatedVoiceSystem(std::vector<SimulatedTokenSpec> tokens) {
    for (auto& spec : tokens) Tokens.push_back(std::make_shared<SimulatedToken>(std::move(spec)));
}

VoiceResult SimulatedVoiceSystem::InitThread() {
    std::lock_guard<std::mutex> hold(Lock);
    ++Inits;
    return kVoiceOk;
}

void SimulatedVoiceSystem::UninitThread() {
    std::lock_guard<std::mutex> hold(Lock);
    --Inits;
}

VoiceResult SimulatedVoiceSystem::CreateVoice(std::unique_ptr<Voice>& voice) {
    std::lock_guard<std::mutex> hold(Lock);
    voice.reset();
    if (VoiceFailed(CreateResult)) return CreateResult;
    VoiceTokenPtr token;
    for (const auto& t : Tokens)
        if (t->Id() == DefaultId) token = t;
    if (!token && !Tokens.empty()) token = Tokens.front();
    auto created = std::make_shared<SimulatedVoice>(token, Options);
    Voices.push_back(created);
    voice = std::make_unique<SimulatedVoiceRef>(created);
    return kVoiceOk;
}

VoiceResult SimulatedVoiceSystem::EnumTokens(const char16_t* categoryId, const char16_t* required,
                                             const char16_t* optional, std::vector<VoiceTokenPtr>& tokens) {
    std::lock_guard<std::mutex> hold(Lock);
    tokens.clear();
    if (VoiceFailed(EnumResult)) return EnumResult;
    if (!categoryId || !EqualsNoCase(categoryId, kVoiceCategoryId)) return kVoiceErrNotFound;
    auto must = SplitList(required ? required : u"");
    auto may = SplitList(optional ? optional : u"");
    std::vector<std::pair<int, VoiceTokenPtr>> found;
    for (const auto& t : Tokens) {
        auto* token = static_cast<SimulatedToken*>(t.get());
        if (!std::all_of(must.begin(), must.end(), [&](auto c) { return token->Matches(c); })) continue;
        int score = static_cast<int>(std::count_if(may.begin(), may.end(), [&](auto c) { return token->Matches(c); }));
        found.emplace_back(score, t);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& f : found) tokens.push_back(f.second);
    return kVoiceOk;
}

void SimulatedVoiceSystem::AddToken(SimulatedTokenSpec spec) {
    std::lock_guard<std::mutex> hold(Lock);
    Tokens.push_back(std::make_shared<SimulatedToken>(std::move(spec)));
}

void SimulatedVoiceSystem::SetDefaultToken(const std::u16string& id) {
    std::lock_guard<std::mutex> hold(Lock);
    DefaultId = id;
}

void SimulatedVoiceSystem::SetOptions(const SimulatedVoiceOptions& options) {
    std::lock_guard<std::mutex> hold(Lock);
    Options = options;
}

void SimulatedVoiceSystem::SetCreateVoiceResult(VoiceResult result) {
    std::lock_guard<std::mutex> hold(Lock);
    CreateResult = result;
}

void SimulatedVoiceSystem::SetEnumTokensResult(VoiceResult result) {
    std::lock_guard<std::mutex> hold(Lock);
    EnumResult = result;
}

VoiceTokenPtr SimulatedVoiceSystem::FindToken(const std::u16string& id) const {
    std::lock_guard<std::mutex> hold(Lock);
    for (const auto& t : Tokens)
        if (t->Id() == id) return t;
    return nullptr;
}

std::size_t SimulatedVoiceSystem::VoiceCount() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Voices.size();
}

std::shared_ptr<SimulatedVoice> SimulatedVoiceSystem::VoiceAt(std::size_t index) const {
    std::lock_guard<std::mutex> hold(Lock);
    return index < Voices.size() ? Voices[index] : nullptr;
}

int SimulatedVoiceSystem::ThreadInits() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Inits;
}
