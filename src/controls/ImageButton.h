#pragma once
// The push button of every window: one of four PNG state images (normal,
// hover, pressed, disabled) stretched over the button, on top of the piece of
// the owner's background that lies under it. The button keeps its own hover
// and pressed state from mouse messages.
//
// The owner, at its first layout: SetBkImage, SetBkImageRect, SetHitMargins,
// SetImages; on every layout it moves the button; in its destroy handler it
// calls ReleaseImages. The window comes from the template (owner-drawn
// button) and is bound with DDX_Control.
#include "controls/ControlsCore.h"
#include "controls/Gdiplus.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CImageButton : public CButton {
public:
    CImageButton();
    ~CImageButton() override;

    // The owner's background; borrowed, never deleted here.
    void SetBkImage(gdip::Image* pImage) { m_pBkImage = pImage; }
    // The piece of the background under the button, in unscaled image pixels.
    void SetBkImageRect(RECT rc) { m_rcBkSrc = rc; }
    // Insets (left, top, right, bottom) of the area IsCursorInside accepts.
    void SetHitMargins(RECT rc) { m_rcHitMargins = rc; }
    // Loads the four state images from PNG resources, in the order given, and
    // returns the last load's result. An image replaced by a successful load
    // is deleted.
    int SetImages(UINT nNormalID, UINT nHoverID, UINT nPressedID, UINT nDisabledID);
    // TRUE: normal state, window enabled; FALSE: disabled state, window
    // disabled. Either way the button repaints. Safe from another thread.
    void SetEnabled(BOOL bEnable);
    // Whether the mouse cursor is in the client area less the hit margins
    // (right and bottom edges outside). Click handlers ignore clicks without.
    BOOL IsCursorInside();
    // Deletes the state images (normal, hover, pressed, disabled).
    void ReleaseImages();

    int GetState() const { return m_nState; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Draws the button into hdc; without all four images only the white
    // fill and the background piece.
    void DrawButton(HDC hdc);
    bool HasAllImages() const;
    void ApplyEvent(hr::ButtonEvent event, LPARAM lParam);

    gdip::Image* m_pBkImage;
    CRect m_rcBkSrc;
    CBrush m_brushBk;
    CRect m_rcClient;
    gdip::Image* m_pImages[4];
    int m_nState;
    BOOL m_bTracking;
    CRect m_rcHitMargins;
};
