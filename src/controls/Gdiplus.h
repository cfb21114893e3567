#pragma once
// GDI+ through its flat functions, resolved at run time from the system
// folder's gdiplus.dll (the tool never imports it, so no planted copy beside
// the executable is ever loaded). When the library or a function is missing
// every call fails with a non-Ok status and nothing is drawn.
//
//   gdip::StartupInput input;            // version 1, no callbacks
//   ULONG_PTR token = 0;
//   gdip::GdiplusStartup(&token, &input, nullptr);
//   ...                                  // every image deleted before:
//   gdip::GdiplusShutdown(token);
#include <windows.h>
#include <objidl.h>

namespace gdip {

using Status = int;
const Status Ok = 0;
const Status GenericError = 1;
const Status InvalidParameter = 2;
const Status Win32Error = 7;  // also: gdiplus.dll or the function is missing

const int SmoothingModeHighQuality = 2;
const int UnitPixel = 2;

struct GpImage;
struct GpGraphics;

// Layout of the system's GdiplusStartupInput.
struct StartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

// True when gdiplus.dll was loaded and all functions used here resolved.
bool IsAvailable();
// Any other export of the same gdiplus.dll (nullptr when missing).
FARPROC GetProc(const char* name);

Status GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output);
void GdiplusShutdown(ULONG_PTR token);

// An owning image, standing in for Gdiplus::Image: decoded from a stream
// (which GDI+ keeps a reference to) and disposed of in the destructor. An
// image that could not be decoded reports its status, size 0 and draws
// nothing.
class Image {
public:
    explicit Image(IStream* stream);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    UINT GetWidth() const;
    UINT GetHeight() const;
    Status GetLastStatus() const { return m_status; }
    GpImage* Native() const { return m_native; }

private:
    GpImage* m_native;
    Status m_status;
};

// A GDI+ graphics object on a device context for one paint.
class Graphics {
public:
    explicit Graphics(HDC hdc);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    Status SetSmoothingMode(int mode);
    // The whole image stretched into x, y, width, height.
    Status DrawImage(const Image* image, int x, int y, int width, int height);
    // The source rectangle of the image stretched into the destination.
    Status DrawImage(const Image* image, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                     int srcHeight, int srcUnit = UnitPixel);
    Status GetLastStatus() const { return m_status; }
    GpGraphics* Native() const { return m_native; }

private:
    GpGraphics* m_native;
    Status m_status;
};

}  // namespace gdip
