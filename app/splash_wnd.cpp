#include "app/splash_wnd.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/environment.h"
#include "app/settings.h"
#include "res/resource_ids.h"

namespace {

constexpr char kPictureName[] = "welcome_tesmarel";
constexpr char kPictureExtension[] = ".jpg";

bool EastAsianInterface() {
    const int language = AppSettings.UILanguage;
    return language == UiSimplified || language == UiTraditional;
}

RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

RECT ClientRect(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r;
}

}  // namespace

CSplashWnd::CSplashWnd(HWND parent) : CChnDlg(IDD_WELCOME, parent) {}

std::string CSplashWnd::PictureFile() { return std::string(ModuleFolder) + kPictureName + kPictureExtension; }

bool CSplashWnd::LoadPicture() {
    std::ifstream in(PictureFile(), std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    // The stream is released before the block it reads (declared after it).
    GlobalBlock block(bytes.size(), GMEM_MOVEABLE);
    if (!block.Fill(bytes.data(), bytes.size())) return false;
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block.Get(), FALSE, stream.Put()))) return false;
    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, picture.PutVoid())) ||
        !picture)
        return false;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)) || width <= 0 || height <= 0)
        return false;
    picture_ = std::move(picture);
    pictureHimetric_ = {width, height};
    return true;
}

BOOL CSplashWnd::OnInitDialog() {
    const bool havePicture = LoadPicture();
    // The dialog base runs in any case, so that a plain template is still
    // translated and decorated.
    CChnDlg::OnInitDialog();
    if (!havePicture) return TRUE;
    {
        WindowDc screen(Hwnd());
        pictureSize_ = {MulDiv(pictureHimetric_.cx, GetDeviceCaps(screen, LOGPIXELSX), 2540),
                        MulDiv(pictureHimetric_.cy, GetDeviceCaps(screen, LOGPIXELSY), 2540)};
    }
    SetWindowPos(Hwnd(), nullptr, 0, 0, pictureSize_.cx, pictureSize_.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutBelowPicture();
    // Centred on the work area.
    const RECT work = ScreenRect(false);
    const RECT r = WindowRect(Hwnd());
    SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
                 work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetFocus(Item(IDOK));
    return FALSE;
}

void CSplashWnd::LayOutBelowPicture() {
    const RECT r = WindowRect(Hwnd());
    const int width = r.right - r.left, height = r.bottom - r.top;
    const HWND button = Item(IDOK);
    const RECT b = ClientRect(button);
    const int bh = b.bottom - b.top;
    const int grow = std::max(2 * bh + 14, 78);
    SetWindowPos(Hwnd(), nullptr, 0, 0, width, height + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int below = static_cast<int>(0.56 * bh);
    SetWindowPos(button, nullptr, width - (b.right - b.left) - 12, height + 3 + below, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(Item(IDC_NO_STOP_AT_START), nullptr, 6, height + below + (EastAsianInterface() ? 7 : 1), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CSplashWnd::OnCommand(int id, int code, HWND control) {
    if (id == IDC_NO_STOP_AT_START && code == BN_CLICKED) {
        const int on = IsDlgButtonChecked(Hwnd(), IDC_NO_STOP_AT_START) == BST_CHECKED ? 1 : 0;
        AppSettings.NoStopAtUsageDlgOnStart = on;
        WriteSettingInt("Config", "NoStopAtUsageDlgOnStart", on);
        return true;
    }
    return CChnDlg::OnCommand(id, code, control);
}

LRESULT CSplashWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc paint(Hwnd());
            if (PaintHook) PaintHook(Hwnd(), paint);
            if (picture_)
                picture_->Render(paint, 0, 0, pictureSize_.cx, pictureSize_.cy, 0, pictureHimetric_.cy,
                                 pictureHimetric_.cx, -pictureHimetric_.cy, nullptr);
            PaintDecorations(paint);
            return 0;
        }
        case WM_DESTROY: picture_.Reset(); break;
    }
    return CChnDlg::OnMessage(message, wParam, lParam);
}

void RunWelcome() {
    CSplashWnd welcome;
    welcome.DoModal();
}
