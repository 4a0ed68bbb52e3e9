#include "speech/espeak_voice.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

#include "text/utf8.h"

namespace {

char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return Fold(x) == Fold(y);
           });
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ') s.remove_suffix(1);
    return s;
}

std::vector<std::u16string_view> Split(std::u16string_view s) {
    std::vector<std::u16string_view> parts;
    for (;;) {
        const size_t semi = s.find(u';');
        if (auto part = Trim(s.substr(0, semi)); !part.empty()) parts.push_back(part);
        if (semi == std::u16string_view::npos) return parts;
        s.remove_prefix(semi + 1);
    }
}

using Values = std::map<std::u16string, std::u16string>;

VoiceResult Lookup(const Values& values, const char16_t* name, std::u16string& value) {
    for (const auto& [k, v] : values)
        if (SameNoCase(k, name ? name : u"")) {
            value = v;
            return kVoiceOk;
        }
    value.clear();
    return kVoiceErrNotFound;
}

class AttributesKey : public VoiceDataKey {
public:
    explicit AttributesKey(const Values& values) : Attrs(values) {}
    VoiceResult GetStringValue(const char16_t* name, std::u16string& value) const override {
        return Lookup(Attrs, name, value);
    }
    VoiceResult OpenKey(const char16_t*, std::unique_ptr<VoiceDataKey>& key) const override {
        key.reset();
        return kVoiceErrNotFound;
    }

private:
    const Values& Attrs;
};

class EspeakToken : public VoiceToken {
public:
    EspeakToken(bool mandarin, Values values, Values attributes)
        : Mandarin(mandarin), Vals(std::move(values)), Attrs(std::move(attributes)) {}
    VoiceResult GetStringValue(const char16_t* name, std::u16string& value) const override {
        return Lookup(Vals, name, value);
    }
    VoiceResult OpenKey(const char16_t* name, std::unique_ptr<VoiceDataKey>& key) const override {
        key.reset();
        if (!name || !SameNoCase(name, u"Attributes")) return kVoiceErrNotFound;
        key = std::make_unique<AttributesKey>(Attrs);
        return kVoiceOk;
    }
    std::u16string Id() const override { return Mandarin ? u"espeak-ng\\cmn" : u"espeak-ng\\en"; }

    // "Attr", "Attr=Value" or "Attr!=Value" against the attributes.
    bool Matches(std::u16string_view condition) const {
        std::u16string_view name = condition, wanted;
        bool negate = false, hasValue = false;
        if (size_t ne = condition.find(u"!="); ne != std::u16string_view::npos) {
            negate = hasValue = true;
            name = Trim(condition.substr(0, ne));
            wanted = Trim(condition.substr(ne + 2));
        } else if (size_t eq = condition.find(u'='); eq != std::u16string_view::npos) {
            hasValue = true;
            name = Trim(condition.substr(0, eq));
            wanted = Trim(condition.substr(eq + 1));
        }
        std::u16string value;
        bool match = VoiceSucceeded(Lookup(Attrs, std::u16string(name).c_str(), value));
        if (match && hasValue) {
            const auto members = Split(value);
            match = std::any_of(members.begin(), members.end(), [&](auto m) { return SameNoCase(m, wanted); });
        }
        return negate != match;
    }

    const bool Mandarin;

private:
    const Values Vals, Attrs;
};

// The voice whose text espeak-ng synthesises on this thread.
thread_local EspeakVoice* synthesising = nullptr;

int SynthCallback(short* samples, int count, espeak_EVENT* events) {
    return synthesising && events ? synthesising->OnSynth(samples, count, events) : 0;
}

void PutLe(std::FILE* f, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>(v >> (8 * i) & 0xFF), f);
}

void WriteWaveHeader(std::FILE* f, int sampleRate, std::uint32_t dataBytes) {
    std::fwrite("RIFF", 1, 4, f);
    PutLe(f, 36 + dataBytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    PutLe(f, 16, 4);
    PutLe(f, 1, 2);  // PCM
    PutLe(f, 1, 2);  // mono
    PutLe(f, static_cast<std::uint32_t>(sampleRate), 4);
    PutLe(f, static_cast<std::uint32_t>(sampleRate) * 2, 4);
    PutLe(f, 2, 2);
    PutLe(f, 16, 2);
    std::fwrite("data", 1, 4, f);
    PutLe(f, dataBytes, 4);
}

}  // namespace

bool IsEspeakMandarin(const VoiceTokenPtr& token) {
    const auto* t = dynamic_cast<const EspeakToken*>(token.get());
    return t && t->Mandarin;
}

// ---- System ----

// The Mandarin voice is the one that reads Han characters as Mandarin
// syllables: in this build plain "cmn" spells many characters as English
// words for their pinyin, "cmn-latn-pinyin" does not.
const char* EspeakVoiceSystem::VoiceName(bool mandarin) { return mandarin ? "cmn-latn-pinyin" : "en-us"; }

EspeakVoiceSystem::EspeakVoiceSystem() {
    static std::mutex initLock;
    static int rate = 0;
    {
        std::lock_guard<std::mutex> hold(initLock);
        if (rate <= 0) {
            rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0);
            if (rate > 0) espeak_SetSynthCallback(SynthCallback);
            if (rate > 0 && (espeak_SetVoiceByName(VoiceName(true)) != EE_OK ||
                             espeak_SetVoiceByName(VoiceName(false)) != EE_OK))
                rate = -1;
        }
    }
    SampleRate = rate;
    Tokens.push_back(std::make_shared<EspeakToken>(
        false, Values{{u"", u"espeak-ng English"}, {u"409", u"espeak-ng English"}},
        Values{{u"Name", u"espeak-ng English"}, {u"Language", u"409"}, {u"Gender", u"Male"}, {u"Vendor", u"espeak-ng"},
               {u"VendorPreferred", u""}}));
    Tokens.push_back(std::make_shared<EspeakToken>(
        true, Values{{u"", u"espeak-ng Mandarin"}, {u"409", u"espeak-ng Mandarin"}, {u"804", u"espeak-ng 普通话"}},
        Values{{u"Name", u"espeak-ng Mandarin"}, {u"Language", u"804"}, {u"Gender", u"Male"},
               {u"Vendor", u"espeak-ng"}}));
}

void EspeakVoiceSystem::SetAudioSink(EspeakAudioSink sink) {
    std::lock_guard<std::mutex> hold(SinkLock);
    Sink = std::move(sink);
}

EspeakAudioSink EspeakVoiceSystem::AudioSink() const {
    std::lock_guard<std::mutex> hold(SinkLock);
    return Sink;
}

std::vector<std::pair<bool, std::u16string>> EspeakVoiceSystem::Spoken() const {
    std::lock_guard<std::mutex> hold(SinkLock);
    return Log;
}

void EspeakVoiceSystem::NoteSpoken(bool mandarin, const std::u16string& text) {
    std::lock_guard<std::mutex> hold(SinkLock);
    Log.emplace_back(mandarin, text);
}

VoiceResult EspeakVoiceSystem::CreateVoice(std::unique_ptr<Voice>& voice) {
    if (!Ready()) return kVoiceErrUninitialized;
    voice = std::make_unique<EspeakVoice>(*this, Tokens.front());
    return kVoiceOk;
}

VoiceResult EspeakVoiceSystem::EnumTokens(const char16_t* categoryId, const char16_t* required,
                                          const char16_t* optional, std::vector<VoiceTokenPtr>& tokens) {
    tokens.clear();
    if (!categoryId || !SameNoCase(categoryId, kVoiceCategoryId)) return kVoiceErrNotFound;
    const auto must = Split(required ? required : u""), may = Split(optional ? optional : u"");
    std::vector<std::pair<int, VoiceTokenPtr>> found;
    for (const VoiceTokenPtr& t : Tokens) {
        const auto* token = static_cast<const EspeakToken*>(t.get());
        if (!std::all_of(must.begin(), must.end(), [&](auto c) { return token->Matches(c); })) continue;
        found.emplace_back(static_cast<int>(std::count_if(may.begin(), may.end(), [&](auto c) { return token->Matches(c); })), t);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& f : found) tokens.push_back(f.second);
    return kVoiceOk;
}

// ---- Voice ----

EspeakVoice::EspeakVoice(EspeakVoiceSystem& system, VoiceTokenPtr token)
    : System(system), Token(std::move(token)), Worker([this] { Run(); }) {}

EspeakVoice::~EspeakVoice() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Stopping = Abort = true;
        Queue.clear();
    }
    Wake.notify_all();
    Progress.notify_all();
    if (Worker.joinable()) Worker.join();
    if (Wave) CloseWaveOutput();
}

VoiceResult EspeakVoice::Speak(const char16_t* text, std::uint32_t flags, std::uint32_t* streamNumber) {
    if (flags & ~(kSpeakAsync | kSpeakPurgeBeforeSpeak | kSpeakIsNotXml)) return kVoiceErrInvalidFlags;
    const bool hasText = text && *text;
    if (!hasText && !(flags & kSpeakPurgeBeforeSpeak)) return kVoiceErrPointer;
    std::uint32_t number = 0;
    {
        std::unique_lock<std::mutex> lock(Lock);
        if (Stopping) return kVoiceErrUninitialized;
        if (flags & kSpeakPurgeBeforeSpeak) {
            if (Speaking) {
                Queue.erase(Queue.begin() + 1, Queue.end());
                Abort = true;
            } else {
                Queue.clear();
            }
        }
        if (hasText) {
            number = NextStreamNumber++;
            Queue.push_back({number, text, Token, Rate, Volume});
            LastQueued = number;
        }
    }
    Wake.notify_all();
    if (hasText && streamNumber) *streamNumber = number;
    if (hasText && !(flags & kSpeakAsync)) return WaitUntilDone(kVoiceInfinite);
    return kVoiceOk;
}

VoiceResult EspeakVoice::WaitUntilDone(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(Lock);
    const auto done = [&] { return Stopping || (Queue.empty() && !Speaking); };
    if (timeoutMs == kVoiceInfinite) {
        Progress.wait(lock, done);
        return kVoiceOk;
    }
    return Progress.wait_for(lock, std::chrono::milliseconds(timeoutMs), done) ? kVoiceOk : kVoiceFalse;
}

VoiceResult EspeakVoice::Pause() {
    std::lock_guard<std::mutex> hold(Lock);
    Paused = true;
    return kVoiceOk;
}

VoiceResult EspeakVoice::Resume() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Paused = false;
    }
    Wake.notify_all();
    return kVoiceOk;
}

VoiceResult EspeakVoice::GetStatus(VoiceStatus& status) {
    std::lock_guard<std::mutex> hold(Lock);
    status.CurrentStream = CurrentStream;
    status.LastStreamQueued = LastQueued;
    status.LastResult = kVoiceOk;
    status.RunningState = Queue.empty() && !Speaking ? kRunStateDone : Speaking && !Paused ? kRunStateSpeaking : 0;
    status.InputWordPos = WordPos;
    status.InputWordLen = WordLen;
    return kVoiceOk;
}

VoiceResult EspeakVoice::SetVoice(const VoiceTokenPtr& token) {
    if (token && !dynamic_cast<const EspeakToken*>(token.get())) return kVoiceErrInvalidArg;
    std::vector<VoiceTokenPtr> all;
    if (!token) System.EnumTokens(kVoiceCategoryId, nullptr, nullptr, all);
    std::lock_guard<std::mutex> hold(Lock);
    Token = token ? token : all.front();
    return kVoiceOk;
}

VoiceResult EspeakVoice::GetVoice(VoiceTokenPtr& token) {
    std::lock_guard<std::mutex> hold(Lock);
    token = Token;
    return kVoiceOk;
}

VoiceResult EspeakVoice::SetRate(std::int32_t rate) {
    if (rate < -10 || rate > 10) return kVoiceErrInvalidArg;
    std::lock_guard<std::mutex> hold(Lock);
    Rate = rate;
    return kVoiceOk;
}

VoiceResult EspeakVoice::GetRate(std::int32_t& rate) {
    std::lock_guard<std::mutex> hold(Lock);
    rate = Rate;
    return kVoiceOk;
}

VoiceResult EspeakVoice::SetVolume(std::uint16_t volume) {
    if (volume > 100) return kVoiceErrInvalidArg;
    std::lock_guard<std::mutex> hold(Lock);
    Volume = volume;
    return kVoiceOk;
}

VoiceResult EspeakVoice::GetVolume(std::uint16_t& volume) {
    std::lock_guard<std::mutex> hold(Lock);
    volume = Volume;
    return kVoiceOk;
}

VoiceResult EspeakVoice::SetInterest(std::uint64_t eventInterest, std::uint64_t queuedInterest) {
    std::lock_guard<std::mutex> hold(Lock);
    NotifyInterest = eventInterest;
    QueuedInterest = queuedInterest;
    return kVoiceOk;
}

VoiceResult EspeakVoice::SetNotifyCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> hold(Lock);
    Callback = std::move(callback);
    return kVoiceOk;
}

VoiceResult EspeakVoice::GetEvents(std::uint32_t count, VoiceEvent* events, std::uint32_t* fetched) {
    if (!events && count) return kVoiceErrPointer;
    std::lock_guard<std::mutex> hold(Lock);
    std::uint32_t n = 0;
    for (; n < count && !Events.empty(); ++n) {
        events[n] = Events.front();
        Events.pop_front();
    }
    if (fetched) *fetched = n;
    return n == count ? kVoiceOk : kVoiceFalse;
}

VoiceResult EspeakVoice::SetWaveFileOutput(const char16_t* path) {
    if (!path || !*path) return kVoiceErrInvalidArg;
    std::lock_guard<std::mutex> hold(Lock);
    if (Wave) return kVoiceErrDeviceBusy;
    const std::string name = Utf16ToUtf8(std::u16string_view(path));
    Wave = std::fopen(name.c_str(), "wb");
    if (!Wave) return kVoiceErrFileNotFound;
    WaveDataBytes = 0;
    WriteWaveHeader(Wave, System.Rate(), 0);
    return kVoiceOk;
}

VoiceResult EspeakVoice::CloseWaveOutput() {
    std::lock_guard<std::mutex> hold(Lock);
    if (!Wave) return kVoiceFalse;
    std::fseek(Wave, 0, SEEK_SET);
    WriteWaveHeader(Wave, System.Rate(), WaveDataBytes);
    const bool ok = std::fclose(Wave) == 0;
    Wave = nullptr;
    return ok ? kVoiceOk : kVoiceErrFail;
}

// Under Lock: queues an event of interest and counts a notification.
void EspeakVoice::Emit(std::uint16_t id, std::uint32_t stream, std::uint32_t pos, std::uint32_t len) {
    if (id == kEventWordBoundary) {
        WordPos = pos;
        WordLen = len;
    }
    if (QueuedInterest & EventBit(id)) Events.push_back({id, stream, AudioBytes, pos, len});
    if (NotifyInterest & EventBit(id)) ++NotifyPending;
}

// Runs the notify callback once per counted event, without the lock.
void EspeakVoice::Notify(std::unique_lock<std::mutex>& lock) {
    while (NotifyPending > 0) {
        --NotifyPending;
        const std::function<void()> callback = Callback;
        if (!callback) continue;
        lock.unlock();
        callback();
        lock.lock();
    }
}

void EspeakVoice::Run() {
    std::unique_lock<std::mutex> lock(Lock);
    for (;;) {
        Wake.wait(lock, [&] { return Stopping || (!Queue.empty() && !Paused); });
        if (Stopping) break;
        const Stream stream = Queue.front();
        Speaking = true;
        Abort = false;
        CurrentStream = stream.Number;
        WordPos = WordLen = 0;
        Emit(kEventStartInputStream, stream.Number, 0, 0);
        Notify(lock);
        lock.unlock();
        Synthesize(stream);
        lock.lock();
        Emit(kEventEndInputStream, stream.Number, static_cast<std::uint32_t>(stream.Text.size()), 0);
        if (!Queue.empty() && Queue.front().Number == stream.Number) Queue.pop_front();
        Speaking = false;
        Notify(lock);
        Progress.notify_all();
    }
    Speaking = false;
    Progress.notify_all();
}

// espeak-ng counts characters (code points) of its UTF-8 input from 1; the
// table maps them to the stream's UTF-16 units.
void EspeakVoice::Synthesize(const Stream& stream) {
    std::vector<std::uint32_t> units;
    const std::u16string& t = stream.Text;
    for (std::uint32_t i = 0; i < t.size(); ++i) {
        units.push_back(i);
        if (t[i] >= 0xD800 && t[i] <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) ++i;
    }
    units.push_back(static_cast<std::uint32_t>(t.size()));
    const std::string utf8 = Utf16ToUtf8(t);
    std::lock_guard<std::mutex> synth(System.SynthLock);
    {
        std::lock_guard<std::mutex> hold(Lock);
        UnitOfChar = std::move(units);
        if (Abort) return;
    }
    const bool mandarin = IsEspeakMandarin(stream.Token);
    System.NoteSpoken(mandarin, t);
    espeak_SetVoiceByName(EspeakVoiceSystem::VoiceName(mandarin));
    const int wpm = static_cast<int>(std::lround(175.0 * std::pow(3.0, stream.Rate / 10.0)));
    espeak_SetParameter(espeakRATE, std::clamp(wpm, 80, 450), 0);
    espeak_SetParameter(espeakVOLUME, stream.Volume, 0);
    synthesising = this;
    espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, this);
    synthesising = nullptr;
}

int EspeakVoice::OnSynth(short* samples, int count, void* list) {
    const EspeakAudioSink sink = System.AudioSink();
    std::unique_lock<std::mutex> lock(Lock);
    Wake.wait(lock, [&] { return !Paused || Abort || Stopping; });
    if (Abort || Stopping) return 1;
    for (auto* e = static_cast<espeak_EVENT*>(list); e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type != espeakEVENT_WORD || e->length <= 0) continue;
        const auto at = [&](int c) {
            const size_t i = static_cast<size_t>(std::clamp(c, 0, static_cast<int>(UnitOfChar.size()) - 1));
            return UnitOfChar[i];
        };
        const std::uint32_t pos = at(e->text_position - 1), end = at(e->text_position - 1 + e->length);
        Emit(kEventWordBoundary, CurrentStream, pos, end > pos ? end - pos : 0);
    }
    Notify(lock);
    if (samples && count > 0) {
        if (Wave) {
            std::fwrite(samples, 2, static_cast<size_t>(count), Wave);
            WaveDataBytes += static_cast<std::uint32_t>(2 * count);
        } else if (sink) {
            lock.unlock();
            const bool go = sink(samples, count);
            lock.lock();
            if (!go) Abort = true;
        }
        AudioBytes += static_cast<std::uint64_t>(2 * count);
    }
    return Abort || Stopping ? 1 : 0;
}
