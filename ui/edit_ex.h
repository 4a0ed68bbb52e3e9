#pragma once
// The edit field of the history combo box (and of any edit control that
// wants it): double-click selects a run of Chinese characters that have
// readings, or a word of ASCII letters, digits and underscores; the Pause key
// carries one pending redraw.
#include <windows.h>

#include <string_view>

#include "ui/subclass.h"

class CDictTop;

class CEditEx : public Subclass {
public:
    // The lexicon tells which characters have readings; null: none has.
    explicit CEditEx(const CDictTop* lexicon = nullptr) : lexicon_(lexicon) {}
    ~CEditEx() override = default;

    bool RedrawParent = false;   // redraw the parent (the combo box) instead of the field
    bool RedrawPending = false;  // one redraw is due at the next Pause key

    // Invalidates the field's (or with RedrawParent its parent's) client area, with erasing.
    void Redraw() const;
    // The selection a double-click at character position `p` of `text` makes: [first, end).
    struct Range {
        int first;
        int end;
    };
    Range WordAt(std::u16string_view text, int p) const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsDoubleByte(char16_t unit, bool big5) const;
    bool HasReadings(char16_t unit, bool big5) const;
    void SelectWord(LPARAM point);

    const CDictTop* lexicon_;
};
