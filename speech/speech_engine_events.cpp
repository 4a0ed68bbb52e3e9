// The event pump on the user-interface thread: stream starts and ends (the
// refill and the end of a text) and word boundaries, mapped from the stream
// onto the owner's text and posted as word positions.
#include "speech/speech_engine.h"

void SpeechEngine::EventPump() {
    std::shared_ptr<Voice> voice = GetMainVoice();
    if (!voice) return;
    const bool sync = Setting(Settings.SoundPaySyncWord_Dialog, 0) != 0;
    VoiceEvent event;
    while (voice->GetEvents(1, &event, nullptr) == kVoiceOk) {
        if (event.Id == kEventStartInputStream) {
            StreamNotifyWnd = NotifyWnd.load();
        } else if (event.Id == kEventEndInputStream) {
            const int state = GetState();
            if (!Running || state == SC_QUIT || state == SC_REQUEUE || Initialising) return;
            if (sync && state == SC_PAUSE) return;
            EndDecision decision = kNoEnd;
            {
                std::lock_guard<std::recursive_mutex> hold(MapLock);
                auto it = StreamMap.find(event.StreamNumber);
                if (it == StreamMap.end()) continue;  // not a stream of this text
                StreamMap.erase(it);
                Queued = static_cast<int>(StreamMap.size());
                if (Suspended) continue;
                decision = Queued == kRefillQueued ? kRefill : DecideEndLocked();
            }
            ActOnEnd(decision, true);
        } else if (event.Id == kEventWordBoundary) {
            if (!Running || GetState() == SC_QUIT) return;
            VoiceStatus status;
            if (VoiceFailed(voice->GetStatus(status))) continue;
            const int state = GetState();
            if (state >= SC_STOP) continue;
            int base, start, end;
            {
                std::lock_guard<std::recursive_mutex> hold(MapLock);
                auto it = StreamMap.find(status.CurrentStream);
                if (it == StreamMap.end() || it->second.second >= PieceList.size()) continue;
                const int pieceOffset = PieceList[it->second.second].offset;
                const int delta = (static_cast<int>(it->second.first) - pieceOffset) / 2;
                start = static_cast<int>(status.InputWordPos) + delta;
                end = static_cast<int>(status.InputWordPos + status.InputWordLen) + delta;
                base = pieceOffset / 2;
                if (sync && state == SC_PAUSE) continue;
                Highlight = {static_cast<int>(it->second.second), start, end};
            }
            const WindowId owner = OwnerWindow();
            if (owner && Config.Notify)
                Config.Notify->Post(owner, WM_SPEECH_WORD, static_cast<std::uintptr_t>(base + start), base + end);
        }
    }
}
