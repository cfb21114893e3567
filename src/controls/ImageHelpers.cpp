#include "controls/ImageHelpers.h"

#include <cstring>
#include <new>

#include "controls/ControlsCore.h"
#include "framework/App.h"
#include "framework/StartupTrace.h"

int LoadPngFromResource(gdip::Image*& pImage, UINT nID) {
    hr::trace::Mark("PNG load", static_cast<int>(nID));
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceW(hInst, MAKEINTRESOURCEW(nID), L"PNG");
    if (hRsrc == nullptr) return 0;
    DWORD size = ::SizeofResource(hInst, hRsrc);
    HGLOBAL hRes = ::LoadResource(hInst, hRsrc);
    const void* data = hRes ? ::LockResource(hRes) : nullptr;
    if (data == nullptr || size == 0) return 0;

    // GDI+ reads the stream for as long as the image lives, so the bytes go
    // into a block that the stream owns and frees with its last reference,
    // the image's.
    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (hMem == nullptr) return 0;
    void* block = ::GlobalLock(hMem);
    if (block == nullptr) {
        ::GlobalFree(hMem);
        return 0;
    }
    std::memcpy(block, data, size);
    ::GlobalUnlock(hMem);

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(hMem, TRUE, &stream)) || stream == nullptr) {
        ::GlobalFree(hMem);
        return 0;
    }
    gdip::Image* image = new (std::nothrow) gdip::Image(stream);
    stream->Release();
    hr::trace::Mark("PNG decoded", static_cast<int>(nID));
    if (image == nullptr) return 0;
    pImage = image;
    return 1;
}

void DrawImagePart(gdip::Graphics& graphics, const gdip::Image* pImage, int x, int y, int width, int height,
                   int srcX, int srcY, int srcWidth, int srcHeight) {
    if (pImage == nullptr) return;
    graphics.DrawImage(pImage, x, y, width, height, srcX, srcY, srcWidth, srcHeight, gdip::UnitPixel);
}

void DrawBackgroundPiece(gdip::Graphics& graphics, const gdip::Image* pImage, const RECT& client,
                         const RECT& source) {
    DrawImagePart(graphics, pImage, client.left, client.top, client.right - client.left,
                  client.bottom - client.top, source.left, source.top, source.right - source.left,
                  source.bottom - source.top);
}

namespace {
HFONT WindowFontOrStock(HWND hWnd) {
    HFONT hFont = hWnd ? reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0)) : nullptr;
    if (hFont == nullptr) hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (hFont == nullptr) hFont = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    return hFont;
}
}  // namespace

BOOL CreateFontFromWindow(HWND hWnd, int nSizeDelta, int nWeight, CFont& font) {
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof(lf));
    HFONT hFont = WindowFontOrStock(hWnd);
    if (hFont != nullptr) ::GetObjectW(hFont, sizeof(lf), &lf);
    if (nSizeDelta != 0) {
        if (nWeight > 0) lf.lfWeight = nWeight;
        lf.lfHeight = hr::AdjustFontHeight(lf.lfHeight, nSizeDelta);
    }
    return font.CreateFontIndirectW(&lf);
}

BOOL CreateFontFromWindow(const CWnd* pWnd, int nSizeDelta, int nWeight, CFont& font) {
    return CreateFontFromWindow(pWnd ? pWnd->m_hWnd : nullptr, nSizeDelta, nWeight, font);
}

int MeasureTextWidth(HWND hWnd, HDC hDC, const wchar_t* text, int nSizeDelta, int nWeight) {
    if (hWnd == nullptr || hDC == nullptr) return -1;
    CFont font;
    CreateFontFromWindow(hWnd, nSizeDelta, nWeight, font);
    CDC dc(hDC);  // restores the DC's font before `font` goes
    dc.SelectObject(font);
    // Calculating with a single line widens the rectangle to the whole text,
    // however far past the starting 390 pixels it runs.
    RECT rc = {10, 10, 400, 20};
    ::DrawTextW(hDC, text ? text : L"", -1, &rc, DT_CALCRECT | DT_SINGLELINE);
    hr::trace::Mark("text measured");
    return rc.right - rc.left;
}

int MeasureTextWidth(const CWnd* pWnd, HDC hDC, const wchar_t* text, int nSizeDelta, int nWeight) {
    return MeasureTextWidth(pWnd ? pWnd->m_hWnd : nullptr, hDC, text, nSizeDelta, nWeight);
}

BOOL SetRoundWindowRegion(HWND hWnd, int nEllipseWidth, int nEllipseHeight) {
    if (hWnd == nullptr) return FALSE;
    RECT rc;
    if (!::GetWindowRect(hWnd, &rc)) return FALSE;
    ::OffsetRect(&rc, -rc.left, -rc.top);
    HRGN hRgn = ::CreateRoundRectRgn(rc.left, rc.top, rc.right, rc.bottom, nEllipseWidth, nEllipseHeight);
    if (hRgn == nullptr) return FALSE;
    if (!::SetWindowRgn(hWnd, hRgn, TRUE)) {
        ::DeleteObject(hRgn);  // only a region the window took is the window's
        return FALSE;
    }
    return TRUE;
}
