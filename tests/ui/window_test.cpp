#include "ui/window.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr UINT kAsk = WM_APP + 40;

// Records its messages and the handle it had when each arrived.
class Recorder : public Window {
public:
    ~Recorder() override { Destroy(); }  // so that OnMessage below sees WM_DESTROY

    std::vector<UINT> messages;
    HWND handleAtNcCreate = nullptr;
    bool failCreate = false;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_NCCREATE) handleAtNcCreate = Hwnd();
        if (message == WM_CREATE && failCreate) return -1;
        if (message == kAsk) return static_cast<LRESULT>(wParam) * 2;
        return Window::OnMessage(message, wParam, lParam);
    }
};

bool Saw(const std::vector<UINT>& messages, UINT m) {
    for (UINT x : messages) {
        if (x == m) return true;
    }
    return false;
}

WindowArgs Args() {
    WindowArgs a;
    a.className = L"ZhWindowTest";
    a.style = WS_OVERLAPPED;
    a.width = 200;
    a.height = 100;
    return a;
}

TEST(Window, BoundAtNcCreateAndClearedAtNcDestroy) {
    Recorder w;
    const HWND h = w.Create(Args());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(w.Hwnd(), h);
    EXPECT_EQ(w.handleAtNcCreate, h);
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.front(), static_cast<UINT>(WM_NCCREATE));  // none of WM_GETMINMAXINFO before it
    EXPECT_EQ(SendMessageW(h, kAsk, 21, 0), 42);                    // OnMessage answers

    EXPECT_TRUE(DestroyWindow(h));
    EXPECT_EQ(w.Hwnd(), nullptr);
    EXPECT_TRUE(Saw(w.messages, WM_DESTROY));
    EXPECT_EQ(w.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(h));
    w.Destroy();  // nothing left to destroy
}

TEST(Window, DeletingTheObjectDestroysItsWindow) {
    auto w = std::make_unique<Recorder>();
    const HWND h = w->Create(Args());
    ASSERT_TRUE(IsWindow(h));
    w.reset();
    EXPECT_FALSE(IsWindow(h));
}

TEST(Window, OneClassServesManyObjectsEachBoundToItsOwnWindow) {
    Recorder a, b;
    WindowArgs second = Args();
    second.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));  // ignored: the class exists
    const HWND ha = a.Create(Args());
    const HWND hb = b.Create(second);
    ASSERT_NE(ha, nullptr);
    ASSERT_NE(hb, nullptr);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(SendMessageW(hb, kAsk, 5, 0), 10);
    EXPECT_TRUE(Saw(b.messages, kAsk));
    EXPECT_FALSE(Saw(a.messages, kAsk));
    EXPECT_EQ(b.Create(Args()), nullptr);  // one window per object
}

TEST(Window, FailedCreationLeavesNoHandle) {
    Recorder w;
    w.failCreate = true;
    EXPECT_EQ(w.Create(Args()), nullptr);
    EXPECT_EQ(w.Hwnd(), nullptr);
    EXPECT_TRUE(Saw(w.messages, WM_NCDESTROY));
}

TEST(Window, ChildWindowCarriesItsControlId) {
    Recorder parent, child;
    ASSERT_NE(parent.Create(Args()), nullptr);
    WindowArgs a = Args();
    a.style = WS_CHILD | WS_VISIBLE;
    a.parent = parent.Hwnd();
    a.childId = 77;
    a.x = a.y = 0;
    ASSERT_NE(child.Create(a), nullptr);
    EXPECT_EQ(GetDlgCtrlID(child.Hwnd()), 77);
    EXPECT_EQ(GetParent(child.Hwnd()), parent.Hwnd());
    // Destroying the parent destroys the child, whose object lets go of the handle.
    parent.Destroy();
    EXPECT_EQ(child.Hwnd(), nullptr);
}

TEST(Window, RefusesAClassNameOfAnotherProcedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZhForeignClass";
    ASSERT_NE(RegisterClassW(&wc), 0);
    Recorder w;
    WindowArgs a = Args();
    a.className = L"ZhForeignClass";
    EXPECT_EQ(w.Create(a), nullptr);
    UnregisterClassW(L"ZhForeignClass", wc.hInstance);
}

}  // namespace
