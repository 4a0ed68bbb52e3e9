#pragma once
// Preparation of a UTF-16 text for the voices: the text is cut into pieces
// that alternate between Chinese runs and Western runs, and inside them a
// character whose reading the reading rules decide is replaced by the
// representative character of that reading. Every replacement keeps one
// UTF-16 unit for one unit, so a position in a piece is a position in the text.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "text/aarray.h"
#include "text/astring.h"

#include "rules/context_readings.h"

class CDictTop;
class PolyphoneModel;

// One piece of a text.
struct typStrInfo {
    AString text;       // prepared UTF-16 units as bytes (8-bit AString)
    int isChinese = 0;  // 1: a Chinese run, 0: a Western run
    int offset = 0;     // byte offset in the text of the piece's first unit
};

// Character classes of the scan.
inline constexpr int kClassWestern = 0;
inline constexpr int kClassSymbol = 6;  // spoken in the Chinese piece after conversion
inline constexpr int kClassChinese = 10;

// Passed over when looking ahead: ideographic space, space, carriage return.
inline bool IsLookAheadBlank(char16_t u) { return u == 0x3000 || u == u' ' || u == u'\r'; }

// The next non-blank unit from q (at most three units looked at), leaving q
// after it; 0 at the end of the text or after three blanks in a row.
char16_t NextUnit(const char16_t* u, int n, int& q);

// The scan of one text, unit by unit. It works on its own copy of the text
// (a carriage return becomes a comma in that copy). The lexicon must hold the
// character readings and the representative map must be built; it is only read.
class SpeechScan {
public:
    // isChinese, prepared text, byte offset of its first unit.
    using PieceSink = std::function<void(int isChinese, const AString& text, int offset)>;

    // Unit position, the character (GBK), and the reading the rules decided
    // for it (syllable and tone; empty when they declined).
    using ReadingSink = std::function<void(int pos, const AString& ch, const AString& pinyin, int tone)>;

    explicit SpeechScan(const CDictTop& dict) : dict_(dict) {}
    // Told about every character that goes through the reading step.
    void SetReadingSink(ReadingSink sink) { readingSink_ = std::move(sink); }

    // With on, polyphonic characters take the reading their sentence calls
    // for (model, else dictionary word, else the rules; the rules stand where
    // the model is unsure). model may be null: words and rules only. Sentences
    // are chosen as the scan reaches them. keepFirstReadings: a chosen reading
    // that is the character's first leaves the character to the voice (see
    // VoiceSystem::SaysFirstReadings).
    void SetContextReadings(bool on, const PolyphoneModel* model, bool keepFirstReadings = true) {
        context_ = on;
        model_ = model;
        keepFirstReadings_ = keepFirstReadings;
    }

    // A fresh start on text (UTF-16 contents as bytes; an odd last byte is ignored).
    void Start(const AString& text);
    bool Finished() const { return p_ >= n_; }
    int Pos() const { return 2 * p_; }       // byte position of the next unit
    int TextLen() const { return 2 * n_; }   // byte length of the text
    int PrevClass() const { return prevClass_; }

    // Scans the next unit (two when a letter joins the Chinese unit after it);
    // sink receives each piece completed by it: at a change of class, and at
    // the last unit the piece that holds it.
    void Step(const PieceSink& sink);

private:
    bool IsLetter(int i) const;
    int Classify(bool prevChinese);
    void AppendUnit(char16_t unit) { piece_.push_back(unit); }
    void ReadingStep();
    const ContextChoice* ContextAt(int pos);
    void Emit(bool isChinese, const PieceSink& sink);

    const CDictTop& dict_;
    std::u16string text_;  // the units; u_ points into it
    const char16_t* u_ = nullptr;
    int n_ = 0;
    int p_ = 0;
    int prevClass_ = kClassWestern;
    std::u16string piece_;
    int pieceOffset_ = 0;  // byte offset of the piece last completed
    int pieceLen_ = 0;     // its byte length, rounded down to even
    AStringArray history_;
    ReadingSink readingSink_;
    bool context_ = false;
    bool keepFirstReadings_ = true;
    const PolyphoneModel* model_ = nullptr;
    std::vector<ContextChoice> choices_;  // of units [ctxStart_, ctxEnd_)
    int ctxStart_ = 0;
    int ctxEnd_ = 0;
};

// The pieces of a whole text, as the scan makes them.
std::vector<typStrInfo> ScanPieces(const CDictTop& dict, const AString& text);
