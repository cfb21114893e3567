// The least a start of the tool can cost, the yardstick of bench/startup.sh:
// GDI+ started, PNG 144 and 145 decoded from the same resources (and the
// same manifest) the tool carries, 144 drawn into one layer handed to
// UpdateLayeredWindow, and one content popup painting 145 over it, shown
// together. No framework, no checks, no controls. Never shipped.
//
// It stays up until it is ended; the bench script ends it once both windows
// are on the screen.
#include <windows.h>
#include <objidl.h>

#include <cstring>

#include "controls/Gdiplus.h"
#include "framework/StartupTrace.h"
#include "res/resource.h"

namespace {

const int kShadow = 17;  // the main picture's margin around the page
gdip::Image* g_page = nullptr;

gdip::Image* Decode(int id) {
    hr::trace::Mark("PNG load", id);
    HRSRC res = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = res ? ::LoadResource(nullptr, res) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = res ? ::SizeofResource(nullptr, res) : 0;
    if (data == nullptr || size == 0) return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    std::memcpy(::GlobalLock(block), data, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    auto* image = new gdip::Image(stream);
    stream->Release();
    hr::trace::Mark("PNG decoded", id);
    return image;
}

bool ShowLayer(HWND hwnd, gdip::Image* picture, int x, int y) {
    const int w = static_cast<int>(picture->GetWidth()), h = static_cast<int>(picture->GetHeight());
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP layer = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (layer == nullptr) return false;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, layer);
    {
        gdip::Graphics graphics(mem);
        graphics.DrawImage(picture, 0, 0, w, h);
    }
    ::GdiFlush();
    POINT dest{x, y}, src{0, 0};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const BOOL ok = ::UpdateLayeredWindow(hwnd, screen, &dest, &size, mem, &src, 0, &blend, ULW_ALPHA);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(layer);
    return ok != FALSE;
}

LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        gdip::Graphics graphics(dc);
        graphics.DrawImage(g_page, 0, 0, static_cast<int>(g_page->GetWidth()), static_cast<int>(g_page->GetHeight()));
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    FILETIME created, exited, kernel, user;
    if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        hr::trace::MarkAt(created, "process created");
    }
    hr::trace::Mark("wWinMain");
    gdip::StartupInput input;
    ULONG_PTR token = 0;
    if (gdip::GdiplusStartup(&token, &input, nullptr) != gdip::Ok) return 1;
    hr::trace::Mark("GDI+ started");
    gdip::Image* shadow = Decode(IDB_MAIN_SHADOW);
    g_page = Decode(IDB_FIXPAGE_BK);
    if (shadow == nullptr || g_page == nullptr || shadow->GetWidth() == 0 || g_page->GetWidth() == 0) return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"HrStartupFloorPage";
    ::RegisterClassW(&wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"HrStartupFloorMain";
    ::RegisterClassW(&wc);

    const int w = static_cast<int>(shadow->GetWidth()), h = static_cast<int>(shadow->GetHeight());
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND main = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, L"HrStartupFloorMain", L"startup floor", WS_POPUP,
                                  x, y, w, h, nullptr, nullptr, instance, nullptr);
    if (main == nullptr || !ShowLayer(main, shadow, x, y)) return 3;
    hr::trace::Mark("layer updated");
    HWND page = ::CreateWindowExW(0, L"HrStartupFloorPage", L"", WS_POPUP, x + kShadow, y + kShadow,
                                  w - 2 * kShadow, h - 2 * kShadow, main, nullptr, instance, nullptr);
    if (page == nullptr) return 4;
    ::ShowWindow(main, SW_SHOW);
    ::ShowWindow(page, SW_SHOWNA);
    hr::trace::Mark("windows shown");

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    delete shadow;
    delete g_page;
    gdip::GdiplusShutdown(token);
    return 0;
}
