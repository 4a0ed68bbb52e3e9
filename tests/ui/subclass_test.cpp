#include "ui/subclass.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

constexpr UINT kAsk = WM_APP + 41;

// Answers kAsk with its tag, counts WM_SETTEXT and passes everything else on.
class Tagger : public Subclass {
public:
    explicit Tagger(int tag) : tag_(tag) {}
    int setTexts = 0;
    bool sawNcDestroy = false;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kAsk) return tag_ + Default(message, wParam, lParam);  // chained: the inner answer added
        if (message == WM_SETTEXT) ++setTexts;
        if (message == WM_NCDESTROY) sawNcDestroy = true;
        return Subclass::OnMessage(message, wParam, lParam);
    }

private:
    int tag_;
};

HWND MakeEdit() {
    return CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

std::wstring Text(HWND h) {
    wchar_t buffer[64] = {};
    GetWindowTextW(h, buffer, 64);
    return buffer;
}

TEST(Subclass, SeesTheControlsMessagesAndPassesThemOn) {
    const HWND edit = MakeEdit();
    ASSERT_NE(edit, nullptr);
    Tagger t(100);
    ASSERT_TRUE(t.Attach(edit));
    EXPECT_FALSE(t.Attach(edit));  // one window per object
    EXPECT_EQ(t.Hwnd(), edit);
    EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 100);
    SetWindowTextW(edit, L"abc");
    EXPECT_EQ(t.setTexts, 1);
    EXPECT_EQ(Text(edit), L"abc");  // the edit control still did its work

    t.Detach();
    EXPECT_EQ(t.Hwnd(), nullptr);
    EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 0);
    SetWindowTextW(edit, L"def");
    EXPECT_EQ(t.setTexts, 1);
    EXPECT_EQ(Text(edit), L"def");
    DestroyWindow(edit);
}

TEST(Subclass, TwoObjectsOnOneWindowBothTakePart) {
    const HWND edit = MakeEdit();
    Tagger inner(1), outer(20);
    ASSERT_TRUE(inner.Attach(edit));
    ASSERT_TRUE(outer.Attach(edit));
    EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 21);
    inner.Detach();
    EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 20);
    DestroyWindow(edit);
    EXPECT_EQ(outer.Hwnd(), nullptr);
}

TEST(Subclass, RemovedWhenTheControlIsDestroyed) {
    const HWND edit = MakeEdit();
    auto t = std::make_unique<Tagger>(5);
    ASSERT_TRUE(t->Attach(edit));
    DestroyWindow(edit);
    EXPECT_TRUE(t->sawNcDestroy);
    EXPECT_EQ(t->Hwnd(), nullptr);
    t.reset();  // nothing left to remove
}

TEST(Subclass, DestructorGivesTheControlBack) {
    const HWND edit = MakeEdit();
    {
        Tagger t(7);
        ASSERT_TRUE(t.Attach(edit));
        EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 7);
    }
    // A subclass left behind would call into the destroyed object.
    EXPECT_EQ(SendMessageW(edit, kAsk, 0, 0), 0);
    SetWindowTextW(edit, L"still works");
    EXPECT_EQ(Text(edit), L"still works");
    DestroyWindow(edit);
}

}  // namespace
