#include "integration/LauncherClientWin.h"

#include <windows.h>

#include <cstdlib>

#include "engine/CommandRunner.h"
#include "framework/StartupTrace.h"

int ReadIniValue(std::wstring section, std::wstring key, std::wstring path, std::wstring& value) {
    wchar_t buffer[256];
    buffer[0] = L'\0';
    const DWORD n =
        GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 255, path.c_str());
    if (n == 0) return 0;
    value.assign(buffer, n);
    return 1;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int wlen = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), wlen, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text.c_str(), wlen, &out[0], n, nullptr, nullptr) != n)
        return std::string();
    return out;
}

std::wstring MultiByteToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const size_t n = std::mbstowcs(nullptr, text.c_str(), 0);
    if (n == static_cast<size_t>(-1)) return std::wstring();
    std::wstring out(n, L'\0');
    std::mbstowcs(&out[0], text.c_str(), n);
    return out;
}

LauncherScanHooks SystemLauncherScanHooks() {
    LauncherScanHooks hooks;
    hooks.exists = [](const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    hooks.readIni = [](const std::wstring& section, const std::wstring& key,
                       const std::wstring& path, std::wstring& value) {
        return ReadIniValue(section, key, path, value);
    };
    hooks.toNarrow = WideToAnsi;
    hooks.toWide = MultiByteToWide;
    return hooks;
}

int ScanLauncherClient(const std::vector<std::wstring>& roots, CAes& aes) {
    if (roots.empty()) return kClientKindNone;
    // A drive without media must not bring up the system's "insert a disk" box.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const int kind = ScanLauncherClient(roots, SystemLauncherScanHooks(), aes);
    SetErrorMode(oldMode);
    return kind;
}

int ScanLauncherClient(CAes& aes) {
    std::vector<std::wstring> drives;
    hr::trace::Mark("launcher scan");
    const int kind = GetUsbDrives(drives) ? ScanLauncherClient(drives, aes) : kClientKindNone;
    hr::trace::Mark("launcher scan done");
    return kind;
}
