#include "controls/CheckBoxBtn.h"

#include "controls/ImageHelpers.h"

CCheckBoxBtn::CCheckBoxBtn()
    : m_fScale(1.0f), m_pCheckImage(nullptr), m_bitmapSize{0, 0}, m_crText(RGB(0, 0, 0)), m_pBkImage(nullptr) {
    m_brushBk.CreateSolidBrush(RGB(255, 255, 255));
}

CCheckBoxBtn::~CCheckBoxBtn() { ReleaseResources(); }

void CCheckBoxBtn::ReleaseResources() {
    m_memDC.reset();  // puts the bitmap back out before it is deleted
    m_bitmap.DeleteObject();
    m_bitmapSize = SIZE{0, 0};
    delete m_pCheckImage;
    m_pCheckImage = nullptr;
}

void CCheckBoxBtn::InitFontFromParent() { CreateFontFromWindow(GetParent(), 0, 0, m_font); }

void CCheckBoxBtn::Paint(HDC hdc) {
    GetClientRect(&m_rcClient);
    const int width = m_rcClient.Width();
    const int height = m_rcClient.Height();
    if (hdc == nullptr || width <= 0 || height <= 0) return;

    if (!m_memDC || m_bitmapSize.cx != width || m_bitmapSize.cy != height) {
        m_memDC.reset();
        m_bitmap.DeleteObject();
        auto mem = std::make_unique<CMemoryDC>(hdc);
        if (mem->m_hDC == nullptr || !m_bitmap.CreateCompatibleBitmap(hdc, width, height)) return;
        m_memDC = std::move(mem);
        m_bitmapSize = SIZE{width, height};
    }
    CMemoryDC& mem = *m_memDC;
    mem.SelectObject(m_bitmap);
    mem.FillRect(m_rcClient, m_brushBk);
    mem.SetBkMode(TRANSPARENT);
    DrawContent(mem);
    ::BitBlt(hdc, 0, 0, m_rcClient.right, m_rcClient.bottom, mem, 0, 0, SRCCOPY);
    mem.RestoreObjects();
}

void CCheckBoxBtn::DrawContent(CDC& mem) {
    {
        gdip::Graphics graphics(mem);
        if (m_pBkImage != nullptr) {
            graphics.SetSmoothingMode(gdip::SmoothingModeHighQuality);
            DrawBackgroundPiece(graphics, m_pBkImage, m_rcClient, m_rcBkSrc);
        }
        // A strip that does not load is tried again at the next paint.
        if (m_pCheckImage == nullptr && !LoadPngFromResource(m_pCheckImage, CheckStripId)) return;

        hr::CheckBoxGeometry geo =
            hr::CheckBoxLayout(hr::CtlRect{m_rcClient.left, m_rcClient.top, m_rcClient.right, m_rcClient.bottom},
                               m_fScale);
        LRESULT check = SendMessageW(BM_GETCHECK);
        DrawImagePart(graphics, m_pCheckImage, geo.box.left, geo.box.top, geo.box.Width(), geo.box.Height(),
                      hr::CheckFrameX(static_cast<long>(check)), 0, 16, 16);
        m_rcClient.left = geo.captionLeft;
    }
    // GDI text after the GDI+ drawing is finished with the DC.
    mem.SelectObject(m_font);
    std::wstring text = GetWindowTextW();
    mem.SetTextColor(m_crText);
    mem.DrawTextW(text, &m_rcClient, DT_VCENTER | DT_SINGLELINE);
}

LRESULT CCheckBoxBtn::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        CPaintDC dc(this);
        Paint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;  // the paint covers every pixel
    case WM_DESTROY:
        // The strip must go while GDI+ still runs, which outlives the windows.
        ReleaseResources();
        return Default();
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE: {
        // The standard checkbox draws its own box straight onto the screen
        // on these; the control's look is put back at once.
        LRESULT result = Default();
        if (m_hWnd != nullptr) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    default:
        return CButton::WindowProc(message, wParam, lParam);
    }
}
