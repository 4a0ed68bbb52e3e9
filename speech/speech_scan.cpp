#include "speech/speech_scan.h"

#include <cstring>

#include "lexicon/dict.h"
#include "lexicon/representative.h"
#include "rules/char_class.h"
#include "rules/reading_rules.h"
#include "text/code_pages.h"
#include "text/codepage.h"
#include "text/gbk.h"

namespace {

// A sentence for the context readings ends at these, or after kLongestSentence units.
constexpr int kLongestSentence = 256;
bool IsSentenceEnd(char16_t u) {
    switch (u) {
    case 0x3002: case 0xFF01: case 0xFF1F: case 0xFF1B: case 0x2026:
    case u'!': case u'?': case u';': case u'\n': case u'\r':
        return true;
    default:
        return false;
    }
}

constexpr const char* kClausePunctuation = ",.?!-;:=";
constexpr char16_t kFullWidthComma = 0xFF0C;

bool IsAsciiLetterUnit(char16_t u) { return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z'); }
bool IsUpper(char16_t u) { return u >= u'A' && u <= u'Z'; }
bool IsLower(char16_t u) { return u >= u'a' && u <= u'z'; }
bool IsClausePunctuation(char c) { return c && std::strchr(kClausePunctuation, c); }
bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The GBK form of a unit as a zero-terminated text: empty for 0, the code
// page's default character for a unit without a GBK form.
void GbkText(char16_t unit, char out[3]) {
    out[0] = out[1] = out[2] = 0;
    if (!unit) return;
    const CharKey g = WideCharToGbk(unit);
    if (!g) {
        out[0] = '?';
        return;
    }
    out[0] = static_cast<char>(CharKeyLead(g));
    out[1] = static_cast<char>(CharKeyTrail(g));
}

}  // namespace

char16_t NextUnit(const char16_t* u, int n, int& q) {
    for (int k = 0; k < 3; ++k, ++q) {
        if (q >= n) return 0;
        if (IsLookAheadBlank(u[q])) continue;
        const char16_t unit = u[q++];
        if (IsHighSurrogate(unit) && q < n && IsLowSurrogate(u[q])) ++q;  // a pair is one character
        return unit;
    }
    return 0;
}

void SpeechScan::Start(const AString& text) {
    const int units = text.GetLength() / 2;
    text_.assign(reinterpret_cast<const char16_t*>(text.GetString()), static_cast<size_t>(units));
    u_ = text_.data();
    n_ = units;
    p_ = 0;
    prevClass_ = kClassWestern;
    piece_.clear();
    pieceOffset_ = 0;
    pieceLen_ = 0;
    history_.RemoveAll();
    history_.SetSize(0, 64);
    choices_.clear();
    ctxStart_ = ctxEnd_ = 0;
}

// The context choice at pos, choosing for the sentence that holds it when
// the scan reaches it.
const ContextChoice* SpeechScan::ContextAt(int pos) {
    if (pos >= ctxEnd_ || pos < ctxStart_) {
        int start = ctxEnd_;
        if (start > pos || pos - start >= kLongestSentence) start = pos;
        int end = pos;
        while (end < n_ && end - start < kLongestSentence)
            if (IsSentenceEnd(u_[end++])) break;
        ChooseContextReadings(dict_, model_, u_ + start, end - start, choices_);
        ctxStart_ = start;
        ctxEnd_ = end;
    }
    return &choices_[static_cast<size_t>(pos - ctxStart_)];
}

bool SpeechScan::IsLetter(int i) const { return i >= 0 && i < n_ && IsAsciiLetterUnit(u_[i]); }

// The class of u[p]; a letter that joins the Chinese unit after it is
// appended here and p moves on to that unit.
int SpeechScan::Classify(bool prevChinese) {
    const char16_t x = u_[p_];
    const char c = static_cast<char>(x & 0xFF);
    if (x >> 8) return kClassChinese;
    if (x == 0) return kClassChinese;
    if (IsClausePunctuation(c)) {
        history_.RemoveAll();
        return prevChinese ? kClassSymbol : kClassWestern;
    }
    if (std::strchr("\r\n \t", c)) return prevChinese ? kClassChinese : kClassWestern;
    if (!IsAsciiLetterUnit(x)) return prevChinese || p_ == 0 ? kClassSymbol : kClassWestern;
    if (!prevChinese) return kClassWestern;

    // A letter after Chinese text.
    if (IsLetter(p_ + 1) && !IsLetter(p_ + 2)) {  // exactly two letters
        AppendUnit(x);
        ++p_;
        return kClassChinese;
    }
    if (p_ == n_ - 1) return kClassWestern;
    if (!IsUpper(x)) return kClassWestern;
    const char16_t next = u_[p_ + 1];
    if (next >> 8) {
        AppendUnit(x);
        ++p_;
        return kClassChinese;
    }
    if (next == u' ') {
        int q = p_ + 1;
        while (q < n_ && u_[q] == u' ') ++q;
        if (IsLetter(q)) return IsLower(u_[q]) ? kClassWestern : kClassChinese;
        return kClassChinese;
    }
    if (!IsAsciiLetterUnit(next)) return kClassChinese;
    if (IsLower(next)) return kClassWestern;
    int run = 0;
    while (IsLetter(p_ + run) && IsUpper(u_[p_ + run])) ++run;
    if (run >= 3) return kClassWestern;
    AppendUnit(x);  // two capitals
    ++p_;
    return kClassChinese;
}

// Appends u[p], or the representative character of the reading chosen for
// it: by the rules, or from the sentence where that reading is not the
// character's first (or the voice does not say first readings). A surrogate pair goes through as its two units (p moves
// on to the second), one "?" to the rules.
void SpeechScan::ReadingStep() {
    const char16_t x = u_[p_];
    const bool pair = IsHighSurrogate(x) && p_ + 1 < n_ && IsLowSurrogate(u_[p_ + 1]);
    char next[3][3] = {};
    const int after = p_ + (pair ? 2 : 1);
    if (after < n_) {
        int q = after;
        char16_t n1 = NextUnit(u_, n_, q), n2 = 0, n3 = 0;
        if (n1) n2 = NextUnit(u_, n_, q);
        if (n2) n3 = NextUnit(u_, n_, q);
        GbkText(n1, next[0]);
        GbkText(n2, next[1]);
        GbkText(n3, next[2]);
    }
    char chBytes[3];
    GbkText(x ? x : u'?', chBytes);
    const AString ch(chBytes);

    if (history_.GetSize() > 24) history_.RemoveAt(0, 12);
    const bool inTable = ch.GetLength() == 2 && dict_.IsGb2312Char(CharKeyAt(chBytes));
    AString pinyin;
    int tone = 0;
    const int ruled = ApplyReadingRules(dict_, ch, history_, next[0], next[1], next[2], pinyin, tone, !inTable);
    history_.Add(ch);
    bool decided = !pair && (!inTable || ruled) && !pinyin.IsEmpty();
    bool keepChar = false;  // a context reading that is the character's first
    if (context_ && !pair) {
        const ContextChoice* c = ContextAt(p_);
        const bool rulesStand = c->source == ContextChoice::Model && inTable && ruled && !pinyin.IsEmpty() &&
                                c->margin < kRulesStandBelowMargin;
        if (c->source != ContextChoice::None && !rulesStand) {
            pinyin = c->pinyin;
            tone = c->tone;
            decided = true;
            // The character's first reading is taken for the voice's own
            // where the voice says first readings.
            if (keepFirstReadings_) {
                CharReadings readings;
                GetCharReadings(dict_, CharKeyAt(chBytes), readings);
                keepChar = !readings.empty() && readings[0].first == pinyin && readings[0].second == tone;
            }
        }
    }
    if (readingSink_) readingSink_(p_, ch, decided ? pinyin : AString(), decided ? tone : 0);
    if (pair) {
        AppendUnit(x);
        AppendUnit(u_[++p_]);
        return;
    }

    if (decided && !keepChar) {
        AString rep;
        GetRepresentativeChar(rep, pinyin, tone - 1);
        if (rep.GetLength() == 2) {
            const char16_t unit = GbkCharToUnicodeCached(rep.GetString());
            if (unit) {
                AppendUnit(unit);
                return;
            }
        }
    }
    AppendUnit(x);
}

void SpeechScan::Emit(bool isChinese, const PieceSink& sink) {
    pieceOffset_ += pieceLen_;
    const int bytes = static_cast<int>(piece_.size()) * 2;
    if (sink)
        sink(isChinese ? 1 : 0, AString::FromBytes(reinterpret_cast<const char*>(piece_.data()), bytes), pieceOffset_);
    pieceLen_ = bytes & ~1;
}

void SpeechScan::Step(const PieceSink& sink) {
    if (Finished()) return;
    const bool prevChinese = prevClass_ != kClassWestern;
    if (u_[p_] == u'\r') text_[static_cast<size_t>(p_)] = u',';

    int cls = Classify(prevChinese);

    if ((cls != kClassWestern) != prevChinese && !piece_.empty()) {
        Emit(prevChinese, sink);
        piece_.clear();
    }

    const char16_t x = u_[p_];
    if (cls == kClassSymbol) {
        const char c = static_cast<char>(x & 0xFF);
        if (IsClausePunctuation(c)) {
            history_.RemoveAll();
            AppendUnit(kFullWidthComma);
        } else {
            char16_t unit = 0;
            if (MultiByteToUtf16(kCodePageGbk, &c, 1, &unit, 1) != 1) unit = 0;
            AppendUnit(unit ? unit : x);
        }
        cls = kClassChinese;
    } else {
        ReadingStep();
    }
    prevClass_ = cls;

    if (p_ >= n_ - 1) Emit(cls != kClassWestern, sink);  // the piece stays; a fresh start empties it
    ++p_;
}

std::vector<typStrInfo> ScanPieces(const CDictTop& dict, const AString& text) {
    std::vector<typStrInfo> pieces;
    SpeechScan scan(dict);
    scan.Start(text);
    const SpeechScan::PieceSink sink = [&](int isChinese, const AString& t, int offset) {
        pieces.push_back({t, isChinese, offset});
    };
    while (!scan.Finished()) scan.Step(sink);
    return pieces;
}
