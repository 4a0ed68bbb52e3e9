// The speak step on the speech thread: the scan of a new text, the pieces it
// makes and their hand-over to the voice, the replay of stored pieces; and the
// text state and the end of a text, shared with the callers and the event pump.
#include <chrono>
#include <string>
#include <thread>

#include "speech/speech_engine.h"

// ---- Text state ----

void SpeechEngine::SetTextBuffer(const AString& text) {
    std::lock_guard<std::recursive_mutex> hold(MapLock);
    SpeakTextBuffer = text;
    ++TextGeneration;
    ScanComplete = false;
    EndSignalled = false;
}

void SpeechEngine::ClearText() { ClearTextOf(~std::uint64_t{0}); }

void SpeechEngine::ClearTextOf(std::uint64_t generation) {
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        if (generation != ~std::uint64_t{0} && generation != TextGeneration) return;
        SpeakTextBuffer.Empty();
        PieceList.clear();
        RewindQueueLocked();
        ++TextGeneration;  // the speech thread's scan state is stale from now on
    }
    Suspended = false;
}

void SpeechEngine::RewindQueueLocked() {
    PieceIndex = 0;
    StreamMap.clear();
    Highlight = HighlightInfo{};
    Queued = 0;
    ScanComplete = false;
    EndSignalled = false;
}

void SpeechEngine::ResetPosition() {
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        RewindQueueLocked();
    }
    ScanValid = false;
    PieceOffset = PieceLen = 0;
}

std::vector<typStrInfo> SpeechEngine::Pieces() {
    std::lock_guard<std::recursive_mutex> hold(MapLock);
    return PieceList;
}

WindowId SpeechEngine::OwnerWindow() const {
    const WindowId stream = StreamNotifyWnd;
    return stream ? stream : NotifyWnd.load();
}

void SpeechEngine::ReportEnd() {
    if (const WindowId stream = StreamNotifyWnd) {
        if (Config.Notify) Config.Notify->PostCommand(stream, ID_SPEECH_DONE);
    } else if (const WindowId owner = NotifyWnd) {
        ClearText();
        if (Config.Notify) Config.Notify->PostCommand(owner, ID_SPEECH_DONE);
    }
}

// Under MapLock: whether the text has been spoken to its end (every piece
// handed over and every accepted stream ended after the whole text was
// scanned), or the queue ran empty with pieces left (refill).
SpeechEngine::EndDecision SpeechEngine::DecideEndLocked() {
    if (!ScanComplete || EndSignalled || Queued > 0) return kNoEnd;
    if (PieceIndex < static_cast<int>(PieceList.size())) return kRefill;
    EndSignalled = true;
    return kTextEnded;
}

void SpeechEngine::ActOnEnd(EndDecision decision, bool uiThread) {
    if (decision == kRefill) {
        if (GetState() == SC_GO) CommandEvent.Set();
        return;
    }
    if (decision != kTextEnded) return;
    if (Setting(Settings.SoundPlayLoop, 0)) {
        int state;
        {
            std::lock_guard<std::recursive_mutex> hold(StateLock);  // a stop written meanwhile prevents the loop
            state = State;
            if (state != SC_STOP && state != SC_QUIT) {
                State = SC_REWIND;
                ++StateSerial;
            }
        }
        if (state != SC_STOP) {
            PieceIndex = 0;
            CommandEvent.Set();
            return;
        }
    }
    ReportEnd();
    Paused = false;
    Suspended = false;
    SetState(SC_STOP);
    CommandEvent.Set();
    if (uiThread && Config.EndPauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(Config.EndPauseMs));
}

// ---- Pieces ----

void SpeechEngine::SelectVoice(int isChinese) {
    const int type = Setting(Settings.SoundPlayReadType, 3);
    if (type <= 0) return;
    VoiceTokenPtr token;
    std::shared_ptr<Voice> voice;
    {
        std::lock_guard<std::mutex> hold(VoiceLock);
        const bool chinese = type == 1 || (type >= 3 && isChinese);
        token = chinese ? ChineseVoiceToken : WesternVoiceToken;
        voice = MainVoice;
    }
    if (voice && token) voice->SetVoice(token);
}

// Under MapLock: hands text (from the unit at offset) of piece index to the
// voice. Only an accepted request gets a map entry and counts in Queued.
bool SpeechEngine::QueueLocked(const typStrInfo& piece, int index, int offset, const AString& text) {
    std::shared_ptr<Voice> voice = GetMainVoice();
    if (!voice) return false;
    SelectVoice(piece.isChinese);
    const std::u16string units(reinterpret_cast<const char16_t*>(text.GetString()),
                               static_cast<size_t>(text.GetLength() / 2));
    std::uint32_t stream = 0;
    if (VoiceFailed(voice->Speak(units.c_str(), kSpeakAsync, &stream))) return false;
    StreamNumber = stream;
    LastQueuedStream = stream;
    StreamMap[stream] = {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(index)};
    Queued = static_cast<int>(StreamMap.size());
    return true;
}

// Hands stored pieces to the voice from PieceIndex on while fewer than
// kMaxQueued requests are outstanding. A piece whose request fails is passed.
void SpeechEngine::DrainQueue() {
    std::lock_guard<std::recursive_mutex> hold(MapLock);
    while (Queued < kMaxQueued && PieceIndex < static_cast<int>(PieceList.size()) && Cmd == SC_GO &&
           State.load() <= SC_VOLUME) {
        const int i = PieceIndex;
        const typStrInfo piece = PieceList[static_cast<size_t>(i)];
        PieceOffset = piece.offset;
        PieceLen = piece.text.GetLength() & ~1;
        QueueLocked(piece, i, piece.offset, piece.text);
        PieceIndex = i + 1;
    }
}

// A piece completed by the scan: stored, and queued in text order as the
// queue allows; what does not fit now is queued by a later refill.
void SpeechEngine::SpeakPiece(int isChinese, const AString& text, int offset) {
    if (State.load() > SC_VOLUME) return;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        if (TextGeneration != ScanGeneration) return;
        PieceList.push_back({text, isChinese, offset});
    }
    if (Config.OnPiece) Config.OnPiece({text, isChinese, offset});
    DrainQueue();
}

// ---- Speak step ----

void SpeechEngine::SpeakStep(bool rateOrVolume) {
    const bool wasSuspended = Suspended, wasPaused = Paused;
    ResumeIfPaused();
    const bool done = VoiceDone();
    const bool loop = Setting(Settings.SoundPlayLoop, 0) != 0;
    if (!loop && wasSuspended && done) {  // the speech ended while it was paused
        ReportEnd();
        Suspended = false;
        WriteBack(Cmd);
        return;
    }
    if (Cmd != SC_QUIT) Cmd = SC_GO;
    if (IsStopping()) return;

    AString text;
    std::uint64_t generation;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        text = SpeakTextBuffer;
        generation = TextGeneration;
    }
    if (text.GetLength() < 2) {
        ReportEnd();
        WriteBack(Cmd);
        return;
    }
    if (generation != ScanGeneration) ScanValid = false;
    if (ScanValid && ScanState.Finished()) {
        Replay(wasSuspended, wasPaused, done, rateOrVolume);
        return;
    }
    if (wasSuspended && ScanValid) {
        if (loop && wasPaused) {
            WriteBack(SC_GO);
            return;
        }
    } else {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        if (TextGeneration != generation) return;  // replaced meanwhile: the next step takes the new text
        ScanState.SetContextReadings(Settings.ContextReadings && Settings.ContextReadings->load() == 1, Config.Model,
                                     !Config.Voices || Config.Voices->SaysFirstReadings());
        ScanState.Start(text);
        ScanGeneration = generation;
        ScanValid = true;
        PieceOffset = PieceLen = 0;
        StreamMap.clear();
        Queued = 0;
        Highlight = HighlightInfo{};
        PieceList.clear();
        PieceIndex = 0;
        ScanComplete = false;
        EndSignalled = false;
    }
    Scan(text, generation);
    WriteBack(Cmd);
}

void SpeechEngine::Scan(const AString&, std::uint64_t generation) {
    const SpeechScan::PieceSink sink = [this](int isChinese, const AString& piece, int offset) {
        SpeakPiece(isChinese, piece, offset);
    };
    while (!ScanState.Finished() && Cmd == SC_GO && State.load() <= SC_VOLUME && TextGeneration == generation)
        ScanState.Step(sink);
    if (ScanState.Finished()) FinishScan(generation);
}

// The whole text has been scanned: when every stream ended already (a fast
// voice, or requests that failed), the end is acted on here.
void SpeechEngine::FinishScan(std::uint64_t generation) {
    EndDecision decision;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        if (TextGeneration != generation) return;
        ScanComplete = true;
        decision = DecideEndLocked();
    }
    if (decision == kRefill)
        DrainQueue();
    else
        ActOnEnd(decision, false);
}

void SpeechEngine::Replay(bool wasSuspended, bool wasPaused, bool done, bool rateOrVolume) {
    const bool loop = Setting(Settings.SoundPlayLoop, 0) != 0;
    int n, i;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        n = static_cast<int>(PieceList.size());
        i = PieceIndex;
    }
    if (i > n - 1 && !loop && !wasPaused && !rateOrVolume) {  // nothing left to hand over
        Suspended = false;
        return;
    }
    if (loop && wasPaused && i > n - 1 && done) PieceIndex = 0;  // play the stored pieces again
    if (wasSuspended && loop && wasPaused && !done) {
        WriteBack(SC_GO);
        CommandEvent.Set();
        return;
    }
    DrainQueue();
    EndDecision decision;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        decision = DecideEndLocked();
    }
    if (decision == kTextEnded) ActOnEnd(decision, false);
    WriteBack(Cmd);
}
