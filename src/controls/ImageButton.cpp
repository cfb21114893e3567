#include "controls/ImageButton.h"

#include <windowsx.h>

#include "controls/ImageHelpers.h"

CImageButton::CImageButton()
    : m_pBkImage(nullptr),
      m_pImages{nullptr, nullptr, nullptr, nullptr},
      m_nState(hr::ButtonNormal),
      m_bTracking(FALSE) {
    m_brushBk.CreateSolidBrush(RGB(255, 255, 255));
}

CImageButton::~CImageButton() { ReleaseImages(); }

int CImageButton::SetImages(UINT nNormalID, UINT nHoverID, UINT nPressedID, UINT nDisabledID) {
    const UINT ids[4] = {nNormalID, nHoverID, nPressedID, nDisabledID};
    int result = 0;
    for (int i = 0; i < 4; ++i) {
        gdip::Image* loaded = nullptr;
        result = LoadPngFromResource(loaded, ids[i]);
        if (result) {
            delete m_pImages[i];
            m_pImages[i] = loaded;
        }
    }
    return result;
}

void CImageButton::SetEnabled(BOOL bEnable) {
    m_nState = bEnable ? hr::ButtonNormal : hr::ButtonDisabled;
    EnableWindow(bEnable);
    Invalidate(TRUE);
}

BOOL CImageButton::IsCursorInside() {
    if (m_hWnd == nullptr) return FALSE;
    CRect rc;
    GetClientRect(&rc);
    hr::CtlRect area = hr::ShrinkByInsets(
        hr::CtlRect{rc.left, rc.top, rc.right, rc.bottom},
        hr::CtlRect{m_rcHitMargins.left, m_rcHitMargins.top, m_rcHitMargins.right, m_rcHitMargins.bottom});
    POINT pt;
    if (!::GetCursorPos(&pt)) return FALSE;
    ScreenToClient(&pt);
    return hr::RectContains(area, pt.x, pt.y) ? TRUE : FALSE;
}

void CImageButton::ReleaseImages() {
    for (gdip::Image*& image : m_pImages) {
        delete image;
        image = nullptr;
    }
}

bool CImageButton::HasAllImages() const {
    return m_pImages[0] && m_pImages[1] && m_pImages[2] && m_pImages[3];
}

void CImageButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (lpDrawItemStruct == nullptr || !HasAllImages()) return;
    // The DC is the system's: drawn on, never released here.
    DrawButton(lpDrawItemStruct->hDC);
}

void CImageButton::DrawButton(HDC hdc) {
    GetClientRect(&m_rcClient);
    const int width = m_rcClient.Width();
    const int height = m_rcClient.Height();
    if (hdc == nullptr || width <= 0 || height <= 0) return;

    // Memory DC and bitmap exist for this draw only.
    COffscreenDC offscreen(hdc, width, height);
    if (!offscreen.IsReady()) return;
    CMemoryDC& mem = offscreen.DC();
    mem.FillRect(m_rcClient, m_brushBk);
    mem.SetBkMode(TRANSPARENT);
    {
        gdip::Graphics graphics(mem);
        graphics.SetSmoothingMode(gdip::SmoothingModeHighQuality);
        if (m_pBkImage != nullptr) {
            DrawBackgroundPiece(graphics, m_pBkImage, m_rcClient, m_rcBkSrc);
        }
        if (HasAllImages()) {
            int index = hr::StateImageIndex(m_nState, IsWindowEnabled() != FALSE);
            if (index >= 0) {
                const gdip::Image* image = m_pImages[index];
                DrawImagePart(graphics, image, m_rcClient.left, m_rcClient.top, width, height, 0, 0,
                              static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()));
            }
        }
    }
    ::BitBlt(hdc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
}

void CImageButton::ApplyEvent(hr::ButtonEvent event, LPARAM lParam) {
    CRect rc;
    GetClientRect(&rc);
    bool inside = rc.Contains(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    int next = hr::NextButtonState(m_nState, event, IsWindowEnabled() != FALSE, inside);
    // Only a change repaints.
    if (next != m_nState) {
        m_nState = next;
        Invalidate(TRUE);
    }
}

LRESULT CImageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        LRESULT result = Default();
        if (IsWindowEnabled() && !m_bTracking) {
            // Hover is reported once the cursor has rested 10 ms; leave when
            // it goes. Asked once per entry: only the leave clears the flag.
            TRACKMOUSEEVENT tme;
            tme.cbSize = sizeof(tme);
            tme.dwFlags = TME_HOVER | TME_LEAVE;
            tme.hwndTrack = m_hWnd;
            tme.dwHoverTime = 10;
            if (::TrackMouseEvent(&tme)) m_bTracking = TRUE;
        }
        return result;
    }
    case WM_MOUSEHOVER:
    case WM_LBUTTONUP:
        ApplyEvent(hr::ButtonEvent::Hover, lParam);
        return Default();
    case WM_LBUTTONDOWN:
        ApplyEvent(hr::ButtonEvent::LButtonDown, lParam);
        return Default();  // the standard button captures and sends the click
    case WM_MOUSELEAVE: {
        LRESULT result = Default();
        ApplyEvent(hr::ButtonEvent::MouseLeave, lParam);
        m_bTracking = FALSE;
        return result;
    }
    case WM_ERASEBKGND:
        DrawButton(reinterpret_cast<HDC>(wParam));
        return TRUE;
    default:
        return CButton::WindowProc(message, wParam, lParam);
    }
}
