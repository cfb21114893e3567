// Scaffolding shared by the controls' Wine tests, and the GDI+ session the
// whole program runs in (started before the first test, shut down after the
// last, as the application object does around its windows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "controls/ControlsTestSupport.h"

namespace {

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        gdip::StartupInput input;
        ASSERT_TRUE(gdip::IsAvailable());
        ASSERT_EQ(gdip::GdiplusStartup(&m_token, &input, nullptr), gdip::Ok);
    }
    void TearDown() override { gdip::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

}  // namespace

namespace ct {

Canvas::Canvas(int width, int height, COLORREF fill)
    : m_width(width), m_height(height), m_dc(nullptr), m_bitmap(nullptr), m_old(nullptr), m_bits(nullptr) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

Canvas::~Canvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void Canvas::Fill(COLORREF color) {
    ::GdiFlush();
    uint32_t v = (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
                 GetBValue(color);
    std::fill(m_bits, m_bits + static_cast<size_t>(m_width) * m_height, v);
}

COLORREF Canvas::At(int x, int y) const {
    ::GdiFlush();
    uint32_t v = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::vector<POINT> Differences(const Canvas& a, const Canvas& b, int tolerance) {
    std::vector<POINT> out;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            if (!Near(a.At(x, y), b.At(x, y), tolerance)) out.push_back(POINT{x, y});
        }
    }
    return out;
}

bool SameImage(const Canvas& a, const Canvas& b, int tolerance) {
    return a.width() == b.width() && a.height() == b.height() && Differences(a, b, tolerance).empty();
}

Box InkBox(const Canvas& c, COLORREF background, int threshold) {
    Box box;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (Near(c.At(x, y), background, threshold)) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

std::unique_ptr<Canvas> RenderPng(UINT id, COLORREF background) {
    gdip::Image* image = nullptr;
    if (!LoadPngFromResource(image, id)) return nullptr;
    auto canvas = std::make_unique<Canvas>(static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()),
                                           background);
    {
        gdip::Graphics g(canvas->dc());
        g.DrawImage(image, 0, 0, canvas->width(), canvas->height());
    }
    delete image;
    return canvas;
}

void Pump(int milliseconds) {
    DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (milliseconds > 0) ::Sleep(10);
    } while (static_cast<int>(end - ::GetTickCount()) > 0);
}

std::unique_ptr<Canvas> PrintControl(const CWnd& control, COLORREF fill) {
    CRect rc;
    control.GetClientRect(&rc);
    auto canvas = std::make_unique<Canvas>(rc.Width(), rc.Height(), fill);
    control.SendMessageW(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()), PRF_CLIENT);
    return canvas;
}

std::unique_ptr<Canvas> ScreenOf(const CWnd& control) {
    CRect rc;
    control.GetClientRect(&rc);
    auto canvas = std::make_unique<Canvas>(rc.Width(), rc.Height());
    HDC hdc = ::GetDC(control.m_hWnd);
    ::BitBlt(canvas->dc(), 0, 0, rc.Width(), rc.Height(), hdc, 0, 0, SRCCOPY);
    ::ReleaseDC(control.m_hWnd, hdc);
    return canvas;
}

Host::Host(UINT templateId, UINT backgroundId) : CDialog(templateId), m_backgroundId(backgroundId) {}

Host::~Host() {
    DestroyWindow();
    delete m_pBkImage;
}

bool Host::Open(int x, int y, int width, int height, bool show) {
    if (m_pBkImage == nullptr && m_backgroundId != 0) LoadPngFromResource(m_pBkImage, m_backgroundId);
    if (!Create(m_nIDTemplate, nullptr)) return false;
    SetWindowPos(HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    if (show) {
        ShowWindow(SW_SHOWNOACTIVATE);
        UpdateWindow();
    }
    Pump();
    return true;
}

std::unique_ptr<Canvas> Host::Compose() {
    CRect rc;
    GetClientRect(&rc);
    auto canvas = std::make_unique<Canvas>(rc.Width(), rc.Height());
    SendMessageW(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas->dc()));
    for (const auto& bind : m_binds) {
        CWnd* control = bind.second;
        if (control->m_hWnd == nullptr || !control->IsWindowVisible()) continue;
        CRect child;
        control->GetWindowRect(&child);
        ScreenToClient(&child);
        // Each control on a canvas of its own: the standard button clips its
        // owner-draw call to its client rectangle in device units.
        auto piece = PrintControl(*control);
        ::BitBlt(canvas->dc(), child.left, child.top, piece->width(), piece->height(), piece->dc(), 0, 0, SRCCOPY);
    }
    return canvas;
}

int Host::Clicks(int id) const {
    for (const auto& c : m_clicks) {
        if (c.first == id) return c.second;
    }
    return 0;
}

void Host::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (auto& bind : m_binds) DDX_Control(pDX, bind.first, *bind.second);
}

BOOL Host::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        int id = LOWORD(wParam);
        for (auto& c : m_clicks) {
            if (c.first == id) {
                ++c.second;
                return TRUE;
            }
        }
        m_clicks.emplace_back(id, 1);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT Host::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETFONT && m_reportedFont != nullptr) return reinterpret_cast<LRESULT>(m_reportedFont);
    if (message == WM_ERASEBKGND && m_pBkImage != nullptr) {
        CRect rc;
        GetClientRect(&rc);
        gdip::Graphics g(reinterpret_cast<HDC>(wParam));
        g.SetSmoothingMode(gdip::SmoothingModeHighQuality);
        g.DrawImage(m_pBkImage, 0, 0, rc.Width(), rc.Height());
        return TRUE;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

}  // namespace ct
