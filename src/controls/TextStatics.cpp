#include "controls/TextStatics.h"

#include "controls/ImageHelpers.h"

namespace {

// Draws text into rc by a layout: single-line modes straight away; wrapped
// modes measure the block first and move the top by half the spare height
// (upward, cutting top and bottom, when the text is taller than the control).
void DrawLaidOut(HDC hdc, const std::wstring& text, RECT rc, const hr::TextLayout& layout) {
    if (!layout.drawsText) return;
    if (layout.centredByOffset) {
        RECT measure = {rc.left, rc.top, rc.right, rc.top + 10};
        ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &measure, layout.measureFlags);
        rc.top += hr::CentreOffset(rc.bottom - rc.top, measure.bottom - measure.top);
    }
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rc, layout.drawFlags);
}

// The standard static paints its text itself, straight onto the screen, when
// its text or enabled state changes: paint over it at once.
bool RepaintsItself(UINT message) {
    return message == WM_SETTEXT || message == WM_ENABLE || message == WM_UPDATEUISTATE;
}

void RedrawNow(HWND hWnd) {
    if (hWnd != nullptr) ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace

// ------------------------------------------------------------ CDrawTextStatic

CDrawTextStatic::CDrawTextStatic()
    : m_crNormal(RGB(0, 0, 0)),
      m_crHover(RGB(0, 0, 255)),
      m_crBk(RGB(255, 255, 255)),
      m_bHover(0),
      m_nAlignMode(0),
      m_pBkImage(nullptr) {}

void CDrawTextStatic::SetFontFromParent(int nSizeDelta, int nWeight) {
    CreateFontFromWindow(GetParent(), nSizeDelta, nWeight, m_font);
}

void CDrawTextStatic::UpdateHover(POINT ptScreen) {
    int hover = HitTest(ptScreen) ? 1 : 0;
    if (hover != m_bHover) {
        m_bHover = hover;
        Invalidate(TRUE);
    }
}

BOOL CDrawTextStatic::HitTest(POINT ptScreen) const {
    if (m_hWnd == nullptr) return FALSE;
    CRect rc;
    GetWindowRect(&rc);
    return rc.Contains(ptScreen) ? TRUE : FALSE;
}

void CDrawTextStatic::Paint(HDC hdc) {
    GetClientRect(&m_rcClient);
    const int width = m_rcClient.Width();
    const int height = m_rcClient.Height();
    if (hdc == nullptr || width <= 0 || height <= 0) return;

    COffscreenDC offscreen(hdc, width, height);
    if (!offscreen.IsReady()) return;
    CMemoryDC& mem = offscreen.DC();

    if (m_brushBk.IsNull()) m_brushBk.CreateSolidBrush(m_crBk);
    mem.FillRect(m_rcClient, m_brushBk);
    mem.SetBkMode(TRANSPARENT);
    if (m_pBkImage != nullptr) {
        gdip::Graphics graphics(mem);
        graphics.SetSmoothingMode(gdip::SmoothingModeHighQuality);
        DrawBackgroundPiece(graphics, m_pBkImage, m_rcClient, m_rcBkSrc);
    }
    mem.SelectObject(m_font);  // no font yet: the DC's own stays
    std::wstring text = GetWindowTextW();
    mem.SetTextColor(m_bHover == 1 ? m_crHover : m_crNormal);
    DrawLaidOut(mem, text, m_rcClient, hr::DrawTextStaticLayout(m_nAlignMode));

    ::BitBlt(hdc, 0, 0, m_rcClient.right, m_rcClient.bottom, mem, 0, 0, SRCCOPY);
}

LRESULT CDrawTextStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        CPaintDC dc(this);
        Paint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        if (RepaintsItself(message)) {
            LRESULT result = Default();
            RedrawNow(m_hWnd);
            return result;
        }
        return CStatic::WindowProc(message, wParam, lParam);
    }
}

// ------------------------------------------------------- CDrawStateInfoStatic

CDrawStateInfoStatic::CDrawStateInfoStatic()
    : m_crText(RGB(0, 0, 0)), m_nDots(0), m_nAlignMode(0), m_pBkImage(nullptr) {
    m_brushBk.CreateSolidBrush(RGB(255, 255, 255));
}

void CDrawStateInfoStatic::SetFontFromParent(int nSizeDelta, int nWeight) {
    CreateFontFromWindow(GetParent(), nSizeDelta, nWeight, m_font);
}

void CDrawStateInfoStatic::SetTextColor(COLORREF cr) {
    m_crText = cr;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::StartDots() { SetTimer(DotsTimerId, DotsPeriodMs); }

void CDrawStateInfoStatic::StopDots() {
    KillTimer(DotsTimerId);
    m_nDots = 0;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::ResetDots() {
    m_nDots = 0;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::Paint(HDC hdc) {
    GetClientRect(&m_rcClient);
    const int width = m_rcClient.Width();
    const int height = m_rcClient.Height();
    if (hdc == nullptr || width <= 0 || height <= 0) return;

    COffscreenDC offscreen(hdc, width, height);
    if (!offscreen.IsReady()) return;
    CMemoryDC& mem = offscreen.DC();

    mem.FillRect(m_rcClient, m_brushBk);
    mem.SetBkMode(TRANSPARENT);
    mem.SelectObject(m_font);
    mem.SetTextColor(m_crText);
    std::wstring text = GetWindowTextW() + hr::DotSuffix(m_nDots);
    if (m_pBkImage != nullptr) {
        gdip::Graphics graphics(mem);
        DrawBackgroundPiece(graphics, m_pBkImage, m_rcClient, m_rcBkSrc);
    }
    DrawLaidOut(mem, text, m_rcClient, hr::StateInfoStaticLayout(m_nAlignMode));

    ::BitBlt(hdc, 0, 0, m_rcClient.right, m_rcClient.bottom, mem, 0, 0, SRCCOPY);
}

LRESULT CDrawStateInfoStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        CPaintDC dc(this);
        Paint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == DotsTimerId) {
            m_nDots = hr::NextDotCount(m_nDots);
            Invalidate(TRUE);
        }
        return Default();
    default:
        if (RepaintsItself(message)) {
            LRESULT result = Default();
            RedrawNow(m_hWnd);
            return result;
        }
        return CStatic::WindowProc(message, wParam, lParam);
    }
}
