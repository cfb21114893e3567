#pragma once
// What all painting code shares: the PNG loader, the image-drawing
// primitive, and three window helpers (derived font, text width, rounded
// region).
#include <windows.h>

#include "controls/Gdiplus.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"

// Loads the PNG resource nID (type "PNG", in the current resource handle) into
// a new image that the caller owns. 1 on success; 0 when the resource is
// missing or cannot be read, and then `pImage` is left as it was. Load only
// into empty holders: a held image is not deleted. A resource that is there
// but does not decode still gives 1, with an image that reports its status
// and draws nothing.
int LoadPngFromResource(gdip::Image*& pImage, UINT nID);

// Draws the source rectangle (x, y, width, height in image pixels) of the
// image stretched into the destination rectangle; a null image draws nothing.
void DrawImagePart(gdip::Graphics& graphics, const gdip::Image* pImage, int x, int y, int width, int height,
                   int srcX, int srcY, int srcWidth, int srcHeight);

// Draws the piece `source` (image pixels) of an owner's background stretched
// over a control's whole client rectangle; a null image draws nothing.
void DrawBackgroundPiece(gdip::Graphics& graphics, const gdip::Image* pImage, const RECT& client,
                         const RECT& source);

// Creates `font` from the window's font (else the stock GUI font, else the
// stock ANSI variable font): unchanged when nSizeDelta is 0 (nWeight is then
// ignored), otherwise nSizeDelta units larger and, when nWeight > 0, of that
// weight. TRUE when the font was created.
BOOL CreateFontFromWindow(HWND hWnd, int nSizeDelta, int nWeight, CFont& font);
BOOL CreateFontFromWindow(const CWnd* pWnd, int nSizeDelta, int nWeight, CFont& font);

// Width in pixels of `text` on one line in a font derived from the window as
// above, measured on hDC; -1 for a null window or DC.
int MeasureTextWidth(HWND hWnd, HDC hDC, const wchar_t* text, int nSizeDelta, int nWeight);
int MeasureTextWidth(const CWnd* pWnd, HDC hDC, const wchar_t* text, int nSizeDelta, int nWeight);

// Clips the window to a rounded rectangle of its own size (origin at its own
// top-left corner) with the given corner ellipse, and redraws it. The window
// owns the region afterwards. TRUE on success.
BOOL SetRoundWindowRegion(HWND hWnd, int nEllipseWidth, int nEllipseHeight);
