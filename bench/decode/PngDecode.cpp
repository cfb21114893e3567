// Times GDI+ decoding PNG files the way the tool decodes its resources (a
// copy in a global block, a stream over it, GdipLoadImageFromStream), to
// compare how pictures are packed. Never shipped.
//
//   png_decode.exe ROUNDS file.png...
//
// Prints one line per file: "file mean-ms best-ms", the rounds of all
// files taken in turns so that drift of the machine falls on all.
#include <windows.h>
#include <objidl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "controls/Gdiplus.h"

namespace {

double DecodeMs(const std::vector<char>& png) {
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t0);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, png.size());
    std::memcpy(::GlobalLock(block), png.data(), png.size());
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(block, TRUE, &stream);
    gdip::Image image(stream);
    stream->Release();
    ::QueryPerformanceCounter(&t1);
    if (image.GetLastStatus() != gdip::Ok) return -1;
    return static_cast<double>(t1.QuadPart - t0.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: png_decode ROUNDS file.png...\n");
        return 2;
    }
    gdip::StartupInput input;
    ULONG_PTR token = 0;
    if (gdip::GdiplusStartup(&token, &input, nullptr) != gdip::Ok) return 1;
    const int rounds = _wtoi(argv[1]);
    std::vector<std::vector<char>> files;
    for (int a = 2; a < argc; ++a) {
        HANDLE h = ::CreateFileW(argv[a], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return 1;
        std::vector<char> data(::GetFileSize(h, nullptr));
        DWORD got = 0;
        const BOOL ok = ::ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
        ::CloseHandle(h);
        if (!ok || got != data.size()) return 1;
        files.push_back(std::move(data));
    }
    std::vector<double> total(files.size(), 0), best(files.size(), 1e9);
    for (int r = 0; r < rounds; ++r) {
        for (size_t f = 0; f < files.size(); ++f) {
            const double ms = DecodeMs(files[f]);
            if (ms < 0) {
                std::fwprintf(stderr, L"png_decode: %ls does not decode\n", argv[2 + f]);
                return 1;
            }
            total[f] += ms;
            if (ms < best[f]) best[f] = ms;
        }
    }
    for (size_t f = 0; f < files.size(); ++f) {
        std::printf("%ls %.3f %.3f\n", argv[2 + f], total[f] / rounds, best[f]);
    }
    gdip::GdiplusShutdown(token);
    return 0;
}
