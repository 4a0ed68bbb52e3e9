// Re-queue on the speech thread: the stored pieces are spoken again from a
// little before the word highlighted last (SC_REQUEUE).
#include <algorithm>

#include "speech/speech_engine.h"

namespace {

// How far back from the highlighted word the speech resumes, in UTF-16 units.
constexpr int kSyncStepBack = 2;    // word-synchronised: the listener paused on that word, repeat little more
constexpr int kReplayStepBack = 7;  // replay: a few units more, so that the word is heard in its context
// Where the walk back stops.
constexpr int kWesternLeadUnits = 32;  // a Western word this early in its piece lacks lead-in: use the piece before
constexpr int kChineseWalkLimit = 4;   // once this many Chinese units were passed, a piece start is close enough
// Where in the piece the speech resumes.
constexpr int kChineseWholePiece = 4;   // nearer a Chinese piece's start, the whole piece: too little to skip
constexpr int kWesternWholePiece = 30;  // the same for a Western piece, whose words are longer
constexpr int kWordStartSearch = 10;    // back to the blank before a Western word, but not through a long run

bool IsAsciiLetter(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }

int Units(const typStrInfo& piece) { return piece.text.GetLength() / 2; }

}  // namespace

bool SpeechEngine::Requeue(bool sync) {
    if (!VoiceDone()) {
        Purge();
        Paused = false;
    }
    Suspended = false;
    std::vector<typStrInfo> pieces;
    HighlightInfo h;
    std::uint64_t generation;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        StreamMap.clear();
        Queued = 0;
        EndSignalled = false;
        pieces = PieceList;
        h = Highlight;
        generation = TextGeneration;
    }
    if (pieces.empty()) return false;
    LastQueuedStream = 0xFFFFFFFFu;

    ResumePoint at;  // no highlight: from the start of the text
    if (h.piece >= 0 && h.piece < static_cast<int>(pieces.size())) {
        at = WalkBack(pieces, h, sync ? kSyncStepBack : kReplayStepBack);
        at.start = ResumeStart(pieces[static_cast<size_t>(at.piece)], at.start);
    }

    PieceLen = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        if (TextGeneration != generation) return true;
        const int i = at.piece, start = at.start;
        const typStrInfo& piece = PieceList[static_cast<size_t>(i)];
        PieceIndex = i;
        if (start < Units(piece)) QueueLocked(piece, i, piece.offset + 2 * start, piece.text.Mid(2 * start));
        PieceIndex = i + 1;
    }
    const int savedCmd = Cmd;
    Cmd = SC_GO;  // the refill of the pieces after it
    DrainQueue();
    Cmd = savedCmd;
    EndDecision decision;
    {
        std::lock_guard<std::recursive_mutex> hold(MapLock);
        decision = DecideEndLocked();
    }
    if (decision == kTextEnded) ActOnEnd(decision, false);
    return true;
}

// Steps back units from the highlighted word (a Chinese word counts from its
// end, a Western one from its start) over the pieces before it. Returns the
// piece reached and the unit in it, 0 when the walk stopped at a piece start.
SpeechEngine::ResumePoint SpeechEngine::WalkBack(const std::vector<typStrInfo>& pieces, const HighlightInfo& h,
                                                 int back) {
    int i = h.piece;
    int w = h.start;  // units of piece i before the point reached so far
    if (pieces[static_cast<size_t>(i)].isChinese) {
        back -= h.end - h.start;
    } else if (i > 0 && w < kWesternLeadUnits) {
        --i;
        w = Units(pieces[static_cast<size_t>(i)]);
    }
    int skipped = 0;  // units of Chinese pieces passed
    for (;;) {
        if (back < w) return {i, w - back};
        if (back == w || i == 0) return {i, 0};
        if (pieces[static_cast<size_t>(i)].isChinese) {
            skipped += w;
            if (skipped >= kChineseWalkLimit) return {i, 0};
        }
        back -= w;
        --i;
        w = Units(pieces[static_cast<size_t>(i)]);
    }
}

// The unit of piece to resume from, given the walk's start: the piece start
// when that is near, otherwise the start of the word there (a Chinese owner
// window knows its words; a Western word starts after a blank).
int SpeechEngine::ResumeStart(const typStrInfo& piece, int start) const {
    if (piece.isChinese) {
        if (start < kChineseWholePiece) {
            start = 0;
        } else if (const WindowId owner = OwnerWindow(); owner && Config.Notify) {
            const int at = piece.offset + 2 * start;
            const std::intptr_t r = Config.Notify->Send(owner, WM_SPEECH_WORDSTART, static_cast<std::uintptr_t>(at), 0);
            if (r >= 0 && r < at) start = (static_cast<int>(r) - piece.offset) / 2;
        }
    } else if (start < kWesternWholePiece) {
        start = 0;
    } else {
        const auto* u = reinterpret_cast<const char16_t*>(piece.text.GetString());
        const int len = Units(piece);
        for (int k = 0; k < kWordStartSearch && start > 0 && start < len && IsAsciiLetter(u[start]); ++k) --start;
    }
    start = std::max(0, std::min(start, Units(piece)));
    const auto* u = reinterpret_cast<const char16_t*>(piece.text.GetString());
    if (start > 0 && start < Units(piece) && u[start] >= 0xDC00 && u[start] <= 0xDFFF && u[start - 1] >= 0xD800 &&
        u[start - 1] <= 0xDBFF)
        --start;  // never inside a surrogate pair
    return start;
}
