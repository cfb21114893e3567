#include "dialogs/DialogImage.h"

namespace dlg {

SIZE PictureSize(const gdip::Image* image) {
    if (image == nullptr) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
}

void DrawPicture(HDC hdc, const gdip::Image* image, const RECT& dest) {
    if (hdc == nullptr || image == nullptr) return;
    gdip::Graphics graphics(hdc);
    graphics.DrawImage(image, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top);
}

HBITMAP RenderLayer(const gdip::Image* image, int width, int height) {
    if (image == nullptr || width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP hLayer = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (hLayer == nullptr) return nullptr;

    // The section starts fully transparent; GDI+ blends the picture onto a
    // 32-bit DIB keeping its alpha, premultiplied.
    bool drawn = false;
    if (HDC hdc = ::CreateCompatibleDC(nullptr)) {
        HGDIOBJ previous = ::SelectObject(hdc, hLayer);
        {
            gdip::Graphics graphics(hdc);
            drawn = graphics.GetLastStatus() == gdip::Ok &&
                    graphics.DrawImage(image, 0, 0, width, height) == gdip::Ok;
        }
        ::GdiFlush();
        ::SelectObject(hdc, previous);
        ::DeleteDC(hdc);
    }
    if (!drawn) {
        ::DeleteObject(hLayer);
        return nullptr;
    }
    return hLayer;
}

}  // namespace dlg
