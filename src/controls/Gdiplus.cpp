#include "controls/Gdiplus.h"

#include "controls/SystemLibrary.h"

namespace gdip {

namespace {

// The flat functions are __stdcall (WINGDIPAPI), which matters for 32 bits.
using PFN_Startup = Status(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
using PFN_Shutdown = void(WINAPI*)(ULONG_PTR);
using PFN_LoadImageFromStream = Status(WINAPI*)(IStream*, GpImage**);
using PFN_DisposeImage = Status(WINAPI*)(GpImage*);
using PFN_GetImageSize = Status(WINAPI*)(GpImage*, UINT*);
using PFN_CreateFromHDC = Status(WINAPI*)(HDC, GpGraphics**);
using PFN_DeleteGraphics = Status(WINAPI*)(GpGraphics*);
using PFN_SetSmoothingMode = Status(WINAPI*)(GpGraphics*, int);
using PFN_DrawImageRectRectI = Status(WINAPI*)(GpGraphics*, GpImage*, INT, INT, INT, INT, INT, INT, INT, INT, int,
                                               const void* /*attributes*/, void* /*abort*/, void* /*data*/);
using PFN_DrawImageRectI = Status(WINAPI*)(GpGraphics*, GpImage*, INT, INT, INT, INT);

struct Api {
    HMODULE module = nullptr;
    PFN_Startup Startup = nullptr;
    PFN_Shutdown Shutdown = nullptr;
    PFN_LoadImageFromStream LoadImageFromStream = nullptr;
    PFN_DisposeImage DisposeImage = nullptr;
    PFN_GetImageSize GetImageWidth = nullptr;
    PFN_GetImageSize GetImageHeight = nullptr;
    PFN_CreateFromHDC CreateFromHDC = nullptr;
    PFN_DeleteGraphics DeleteGraphics = nullptr;
    PFN_SetSmoothingMode SetSmoothingMode = nullptr;
    PFN_DrawImageRectRectI DrawImageRectRectI = nullptr;
    PFN_DrawImageRectI DrawImageRectI = nullptr;
    bool complete = false;
};

template <class F>
void Resolve(HMODULE module, const char* name, F& fn) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const Api& GetApi() {
    // Loaded once, on first use, and kept for the life of the process.
    static const Api api = [] {
        Api a;
        a.module = LoadSystemLibrary(L"gdiplus.dll");
        if (a.module == nullptr) return a;
        Resolve(a.module, "GdiplusStartup", a.Startup);
        Resolve(a.module, "GdiplusShutdown", a.Shutdown);
        Resolve(a.module, "GdipLoadImageFromStream", a.LoadImageFromStream);
        Resolve(a.module, "GdipDisposeImage", a.DisposeImage);
        Resolve(a.module, "GdipGetImageWidth", a.GetImageWidth);
        Resolve(a.module, "GdipGetImageHeight", a.GetImageHeight);
        Resolve(a.module, "GdipCreateFromHDC", a.CreateFromHDC);
        Resolve(a.module, "GdipDeleteGraphics", a.DeleteGraphics);
        Resolve(a.module, "GdipSetSmoothingMode", a.SetSmoothingMode);
        Resolve(a.module, "GdipDrawImageRectRectI", a.DrawImageRectRectI);
        Resolve(a.module, "GdipDrawImageRectI", a.DrawImageRectI);
        a.complete = a.Startup && a.Shutdown && a.LoadImageFromStream && a.DisposeImage && a.GetImageWidth &&
                     a.GetImageHeight && a.CreateFromHDC && a.DeleteGraphics && a.SetSmoothingMode &&
                     a.DrawImageRectRectI && a.DrawImageRectI;
        return a;
    }();
    return api;
}

}  // namespace

bool IsAvailable() { return GetApi().complete; }

FARPROC GetProc(const char* name) {
    const Api& api = GetApi();
    return api.module && name ? ::GetProcAddress(api.module, name) : nullptr;
}

Status GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output) {
    const Api& api = GetApi();
    if (!api.Startup) return Win32Error;
    return api.Startup(token, input, output);
}

void GdiplusShutdown(ULONG_PTR token) {
    const Api& api = GetApi();
    if (api.Shutdown && token != 0) api.Shutdown(token);
}

Image::Image(IStream* stream) : m_native(nullptr), m_status(Win32Error) {
    const Api& api = GetApi();
    if (stream == nullptr) {
        m_status = InvalidParameter;
    } else if (api.LoadImageFromStream) {
        m_status = api.LoadImageFromStream(stream, &m_native);
        if (m_status != Ok) m_native = nullptr;
    }
}

Image::~Image() {
    const Api& api = GetApi();
    if (m_native != nullptr && api.DisposeImage) api.DisposeImage(m_native);
}

UINT Image::GetWidth() const {
    const Api& api = GetApi();
    UINT width = 0;
    if (m_native == nullptr || !api.GetImageWidth || api.GetImageWidth(m_native, &width) != Ok) return 0;
    return width;
}

UINT Image::GetHeight() const {
    const Api& api = GetApi();
    UINT height = 0;
    if (m_native == nullptr || !api.GetImageHeight || api.GetImageHeight(m_native, &height) != Ok) return 0;
    return height;
}

Graphics::Graphics(HDC hdc) : m_native(nullptr), m_status(Win32Error) {
    const Api& api = GetApi();
    if (hdc == nullptr) {
        m_status = InvalidParameter;
    } else if (api.CreateFromHDC) {
        m_status = api.CreateFromHDC(hdc, &m_native);
        if (m_status != Ok) m_native = nullptr;
    }
}

Graphics::~Graphics() {
    const Api& api = GetApi();
    if (m_native != nullptr && api.DeleteGraphics) api.DeleteGraphics(m_native);
}

Status Graphics::SetSmoothingMode(int mode) {
    const Api& api = GetApi();
    if (m_native == nullptr || !api.SetSmoothingMode) return m_status = Win32Error;
    return m_status = api.SetSmoothingMode(m_native, mode);
}

Status Graphics::DrawImage(const Image* image, int x, int y, int width, int height) {
    const Api& api = GetApi();
    if (image == nullptr || image->Native() == nullptr) return m_status = InvalidParameter;
    if (m_native == nullptr || !api.DrawImageRectI) return m_status = Win32Error;
    return m_status = api.DrawImageRectI(m_native, image->Native(), x, y, width, height);
}

Status Graphics::DrawImage(const Image* image, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                           int srcHeight, int srcUnit) {
    const Api& api = GetApi();
    if (image == nullptr || image->Native() == nullptr) return m_status = InvalidParameter;
    if (m_native == nullptr || !api.DrawImageRectRectI) return m_status = Win32Error;
    return m_status = api.DrawImageRectRectI(m_native, image->Native(), x, y, width, height, srcX, srcY, srcWidth,
                                             srcHeight, srcUnit, nullptr, nullptr, nullptr);
}

}  // namespace gdip
