#include "ui/edit_ex.h"

#include <string>

#include "app/settings.h"
#include "lexicon/dict.h"
#include "text/gbk.h"

namespace {

bool IsWordUnit(char16_t u) {
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
}

}  // namespace

void CEditEx::Redraw() const {
    const HWND target = RedrawParent ? GetParent(Hwnd()) : Hwnd();
    if (target) InvalidateRect(target, nullptr, TRUE);
}

bool CEditEx::IsDoubleByte(char16_t unit, bool big5) const {
    const CharKey key = WideCharToGbk(unit);
    const unsigned char lead = CharKeyLead(key), trail = CharKeyTrail(key);
    return big5 ? IsBig5Pair(lead, trail) : IsGbkPair(lead, trail);
}

bool CEditEx::HasReadings(char16_t unit, bool big5) const {
    if (!lexicon_) return false;
    const CharKey key = WideCharToGbk(unit);
    const char pair[2] = {static_cast<char>(CharKeyLead(key)), static_cast<char>(CharKeyTrail(key))};
    char out[3];
    return lexicon_->ReadableCharAt(pair, 2, 0, out, big5) == 1;
}

CEditEx::Range CEditEx::WordAt(std::u16string_view text, int p) const {
    const int length = static_cast<int>(text.size());
    p = p < 0 ? 0 : (p > length ? length : p);
    const bool big5 = AppSettings.UILanguage.load() == 2;
    int a = p, e = p;
    if (p > 0 && IsDoubleByte(text[p - 1], big5))
        while (a > 0 && HasReadings(text[a - 1], big5)) a--;
    while (e < length && HasReadings(text[e], big5)) e++;
    if (a == e) {
        while (a > 0 && IsWordUnit(text[a - 1])) a--;
        while (e < length && IsWordUnit(text[e])) e++;
    }
    return {a, e};
}

void CEditEx::SelectWord(LPARAM point) {
    const HWND edit = Hwnd();
    const int length = GetWindowTextLengthW(edit);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    text.resize(GetWindowTextW(edit, reinterpret_cast<wchar_t*>(text.data()), length + 1));
    const int p = LOWORD(SendMessageW(edit, EM_CHARFROMPOS, 0, point));
    const Range r = WordAt(text, p);
    SendMessageW(edit, EM_SETSEL, r.first, r.end);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    Redraw();
}

LRESULT CEditEx::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS: {
            const LRESULT r = Default(message, wParam, lParam);
            ShowCaret(Hwnd());
            return r;
        }
        case WM_KILLFOCUS: {
            const LRESULT r = Default(message, wParam, lParam);
            HideCaret(Hwnd());
            Redraw();
            return r;
        }
        case WM_KEYDOWN:
            if (wParam == VK_PAUSE && RedrawPending) {
                Redraw();
                RedrawPending = false;
                return 0;
            }
            break;
        case WM_LBUTTONDBLCLK: SelectWord(lParam); return 0;
    }
    return Default(message, wParam, lParam);
}
