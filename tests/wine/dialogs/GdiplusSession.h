#pragma once
// GDI+ for the life of a test program, as the tool's application object
// holds it for the life of the tool.
#include "controls/Gdiplus.h"

class GdiplusSession {
public:
    GdiplusSession() {
        gdip::StartupInput input;
        gdip::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { gdip::GdiplusShutdown(token_); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};
