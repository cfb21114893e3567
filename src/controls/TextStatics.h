#pragma once
// The two statics that paint every text that is not part of an image, over
// the piece of their owner's background that lies under them.
//
// CDrawTextStatic: a label or link with a normal and a hover colour and the
// layout modes 0 to 7 (any other mode draws only the background). It takes
// no mouse input: the owner reports the cursor with UpdateHover and asks
// HitTest about clicks.
//
// CDrawStateInfoStatic: a status line followed by zero to three dots that
// advance once a second on timer 36 (StartDots / StopDots / ResetDots);
// layout modes 1 to 6, anything else laid out as 1.
//
// Both come from the templates (plain left-aligned statics without the notify
// style, so mouse messages fall through to the owner) and are bound with
// DDX_Control.
#include <string>

#include "controls/ControlsCore.h"
#include "controls/Gdiplus.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CDrawTextStatic : public CStatic {
public:
    CDrawTextStatic();

    // m_font from the parent's font (ImageHelpers' CreateFontFromWindow rules).
    void SetFontFromParent(int nSizeDelta, int nWeight);
    void SetAlignMode(int nMode) { m_nAlignMode = nMode; }
    void SetBkImage(gdip::Image* pImage) { m_pBkImage = pImage; }
    void SetBkImageRect(RECT rc) { m_rcBkSrc = rc; }
    // The fill colour; the brush is made at the first paint, so later calls
    // change nothing.
    void SetBkColor(COLORREF cr) { m_crBk = cr; }
    void SetTextColors(COLORREF crNormal, COLORREF crHover) {
        m_crNormal = crNormal;
        m_crHover = crHover;
    }
    // Hover colour while ptScreen lies in the window rectangle (right and
    // bottom edges outside); repaints only on a change.
    void UpdateHover(POINT ptScreen);
    BOOL HitTest(POINT ptScreen) const;

    int GetHover() const { return m_bHover; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC hdc);

    CBrush m_brushBk;
    CRect m_rcClient;
    CFont m_font;
    COLORREF m_crNormal;
    COLORREF m_crHover;
    COLORREF m_crBk;
    int m_bHover;
    int m_nAlignMode;
    gdip::Image* m_pBkImage;
    CRect m_rcBkSrc;
};

class CDrawStateInfoStatic : public CStatic {
public:
    enum { DotsTimerId = 36, DotsPeriodMs = 1000 };

    CDrawStateInfoStatic();

    void SetFontFromParent(int nSizeDelta, int nWeight);
    void SetAlignMode(int nMode) { m_nAlignMode = nMode; }
    void SetBkImage(gdip::Image* pImage) { m_pBkImage = pImage; }
    void SetBkImageRect(RECT rc) { m_rcBkSrc = rc; }
    // Stores the colour and repaints.
    void SetTextColor(COLORREF cr);
    // Timer 36 every second: the dots cycle none, ".", "..", "...".
    void StartDots();
    // Timer killed, dots cleared, repainted.
    void StopDots();
    // Dots cleared and repainted; the timer keeps running.
    void ResetDots();

    int GetDots() const { return m_nDots; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC hdc);

    CBrush m_brushBk;
    CRect m_rcClient;
    CFont m_font;
    COLORREF m_crText;
    int m_nDots;
    int m_nAlignMode;
    gdip::Image* m_pBkImage;
    CRect m_rcBkSrc;
};
