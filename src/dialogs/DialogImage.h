#pragma once
// Picture helpers of the shadowed windows: a picture's size, the whole
// picture stretched onto a device context, and the parent's layer.
#include <windows.h>

#include "controls/Gdiplus.h"

namespace dlg {

// Pixel size of the picture; 0 x 0 for none.
SIZE PictureSize(const gdip::Image* image);

// The whole picture stretched into `dest` on a device context.
void DrawPicture(HDC hdc, const gdip::Image* image, const RECT& dest);

// A 32-bit top-down DIB section of width x height holding the whole picture
// stretched over it with premultiplied alpha, as UpdateLayeredWindow reads
// it with AC_SRC_ALPHA; the caller deletes it. Null on failure.
HBITMAP RenderLayer(const gdip::Image* image, int width, int height);

// Deletes the image and empties the holder.
inline void FreePicture(gdip::Image*& image) {
    delete image;
    image = nullptr;
}

}  // namespace dlg
