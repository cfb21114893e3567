#pragma once
// The agreement checkbox: a standard automatic checkbox whose whole look is
// painted here: the piece of the owner's background under it, a 16 x 16
// mark from the PNG strip 146 scaled by m_fScale, and the caption in the
// parent's font. The check state stays the system's (BM_GETCHECK).
//
// The owner, at its first layout: m_fScale, InitFontFromParent, SetTextColor,
// SetBkImage, SetBkImageRect, then BM_SETCHECK.
#include <memory>

#include "controls/ControlsCore.h"
#include "controls/Gdiplus.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CCheckBoxBtn : public CButton {
public:
    enum { CheckStripId = 146 };

    CCheckBoxBtn();
    ~CCheckBoxBtn() override;

    // m_font from the parent's font, unchanged.
    void InitFontFromParent();
    void SetTextColor(COLORREF cr) { m_crText = cr; }
    void SetBkImage(gdip::Image* pImage) { m_pBkImage = pImage; }
    void SetBkImageRect(RECT rc) { m_rcBkSrc = rc; }

    float m_fScale;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC hdc);
    void DrawContent(CDC& mem);
    void ReleaseResources();

    gdip::Image* m_pCheckImage;
    // Kept from paint to paint; remade when the control's size changes.
    CBitmap m_bitmap;
    std::unique_ptr<CMemoryDC> m_memDC;
    SIZE m_bitmapSize;
    CBrush m_brushBk;
    CRect m_rcClient;
    CFont m_font;
    COLORREF m_crText;
    gdip::Image* m_pBkImage;
    CRect m_rcBkSrc;
};
