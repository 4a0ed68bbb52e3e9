#include "ui/gdi.h"

#include <unknwn.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "tests/support/screenshot.h"

namespace {

using namespace std::chrono_literals;

void Fill(HDC dc, RECT r, COLORREF colour) {
    Gdi<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &r, brush);
}

TEST(Gdi, DeletesItsObjectOnceAndHandsItOverOnMove) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        Gdi<HBRUSH> a(raw);
        Gdi<HBRUSH> b(std::move(a));
        EXPECT_EQ(a.Get(), nullptr);
        EXPECT_EQ(b.Get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);  // deleted
}

TEST(Gdi, SelectedPutsTheOldObjectBack) {
    DibSection dib(4, 4);
    const HGDIOBJ before = GetCurrentObject(dib.Dc(), OBJ_BRUSH);
    Gdi<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
    {
        Selected s(dib.Dc(), red);
        EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), red.Get());
    }
    EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), before);
}

TEST(Gdi, BufferedDcDrawsInTargetCoordinatesAndCopiesOnDestruction) {
    DibSection target(40, 30);
    target.Fill(0xFFFFFF);
    const RECT area{10, 5, 30, 20};
    {
        BufferedDc dc(target.Dc(), area);
        ASSERT_NE(static_cast<HDC>(dc), target.Dc());
        Fill(dc, RECT{0, 0, 40, 30}, RGB(0, 255, 0));  // beyond the buffer: lost
        Fill(dc, area, RGB(0, 0, 255));
        Fill(dc, RECT{12, 7, 14, 9}, RGB(255, 0, 0));
        EXPECT_EQ(target.Pixel(12, 7), 0xFFFFFFu);  // nothing on the target yet
    }
    struct Case {
        int x, y;
        std::uint32_t rgb;
    };
    for (const Case& c : {Case{12, 7, 0xFF0000}, Case{13, 8, 0xFF0000}, Case{14, 9, 0x0000FF}, Case{10, 5, 0x0000FF},
                          Case{29, 19, 0x0000FF}, Case{9, 5, 0xFFFFFF}, Case{30, 19, 0xFFFFFF}, Case{10, 20, 0xFFFFFF},
                          Case{0, 0, 0xFFFFFF}}) {
        EXPECT_EQ(target.Pixel(c.x, c.y), c.rgb) << c.x << "," << c.y;
    }
}

TEST(Gdi, ClipboardOpenWaitsForAnotherHolder) {
    enum { Waiting, Held, Failed };
    std::atomic<int> holderState{Waiting};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        // A window of its own: openings with the same (null) window do not exclude each other.
        const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!OpenClipboard(window)) {
            holderState = Failed;
        } else {
            holderState = Held;
            while (!release) std::this_thread::sleep_for(5ms);
            std::this_thread::sleep_for(100ms);
            CloseClipboard();
        }
        DestroyWindow(window);
    });
    while (holderState == Waiting) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(holderState, Held) << "the other thread could not open the clipboard";
    {
        ClipboardOpen quick(nullptr, 30);
        EXPECT_FALSE(quick.IsOpen());  // still held: gives up after its patience
    }
    release = true;
    {
        ClipboardOpen patient(nullptr, 5000);
        EXPECT_TRUE(patient.IsOpen());  // opened once the holder closed it
    }
    holder.join();
    // Closed again by the destructor: another opening succeeds at once.
    EXPECT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
}

// A COM object that counts its references.
class Counted : public IUnknown {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(Gdi, ComPtrReleasesItsReferenceOnce) {
    Counted object;
    {
        ComPtr<IUnknown> p(&object);
        ComPtr<IUnknown> q(std::move(p));
        EXPECT_FALSE(p);
        EXPECT_EQ(object.refs, 1u);
    }
    EXPECT_EQ(object.refs, 0u);

    object.refs = 1;
    ComPtr<IUnknown> r(&object);
    object.AddRef();            // a second reference, returned through Put below
    IUnknown** slot = r.Put();  // releases the held one first
    EXPECT_EQ(object.refs, 1u);
    *slot = &object;
    r.Reset();
    EXPECT_EQ(object.refs, 0u);
}

}  // namespace
