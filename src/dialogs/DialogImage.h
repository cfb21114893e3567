#pragma once
// The picture operations the shadowed windows need, over the tool's GDI+
// binding: load a PNG resource, its size, draw it stretched, and render it
// into a premultiplied 32-bit layer for UpdateLayeredWindow.
#include <windows.h>

namespace dlg {

struct Image;  // a GDI+ image

// Loads PNG resource `id` into *holder (which must be empty). true on success.
bool LoadPicture(Image** holder, int id);
// Deletes the image and empties the holder.
void FreePicture(Image** holder);
// Pixel size of the picture; 0 x 0 for none.
SIZE PictureSize(Image* image);
// The whole picture stretched into `dest` on a device context.
void DrawPicture(HDC hdc, Image* image, const RECT& dest);
// A 32-bit top-down DIB section of width x height holding the whole picture
// stretched over it with premultiplied alpha, as UpdateLayeredWindow reads
// it with AC_SRC_ALPHA; the caller deletes it. Null on failure.
HBITMAP RenderLayer(Image* image, int width, int height);
// Clips the window to a rounded rectangle of its own size.
void SetRoundRegion(HWND hWnd, int ellipse);

// GDI+ started for the life of the object (test programs; the tool's
// application object starts its own).
class GraphicsSession {
public:
    GraphicsSession();
    ~GraphicsSession();
    GraphicsSession(const GraphicsSession&) = delete;
    GraphicsSession& operator=(const GraphicsSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

}  // namespace dlg
