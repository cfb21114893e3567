// Writes a launcher client's "DeviceInfo.ini" the way the clients do, so tests
// and demos have real files to find. Never shipped.
//
//   WriteDeviceInfo <ini path or folder> <device type> [--raw]
//   WriteDeviceInfo <ini path or folder> --value <literal value>
//   WriteDeviceInfo --client corvath|kestra <drive root or folder> <device type>
//
// The device type is enciphered and base64-encoded (with --raw, without the
// terminator the clients add, so a reader sees key stream after the text);
// --value writes the text as it stands. --client also lays out the client's
// folder with a placeholder program. The written value is printed.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "integration/DeviceInfoCipher.h"
#include "integration/LauncherClient.h"

namespace {

int Usage() {
    std::fputs(
        "usage: WriteDeviceInfo <ini path or folder> <device type> [--raw]\n"
        "       WriteDeviceInfo <ini path or folder> --value <literal value>\n"
        "       WriteDeviceInfo --client corvath|kestra <drive root or folder> <device type>\n",
        stderr);
    return 2;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates every missing folder above `file`.
void MakeParents(const std::wstring& file) {
    for (size_t pos = file.find(L'\\', 3); pos != std::wstring::npos;
         pos = file.find(L'\\', pos + 1))
        CreateDirectoryW(file.substr(0, pos).c_str(), nullptr);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    MakeParents(path);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

int WriteIni(std::wstring path, const std::string& value) {
    if (!path.empty() && (path.back() == L'\\' || IsFolder(path)))
        path = WithSlash(path) + L"DeviceInfo.ini";
    if (!WriteBytes(path, "[DeviceType]\r\nType=" + value + "\r\n")) {
        std::fwprintf(stderr, L"cannot write %ls\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", value.c_str());
    return 0;
}

std::string Encipher(const std::wstring& type, bool terminate) {
    CAes aes;
    return EncryptDeviceInfo(aes, Narrow(type), kDeviceInfoKeyText, terminate);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && std::wcscmp(argv[1], L"--client") == 0) {
        int index;
        if (std::wcscmp(argv[2], L"corvath") == 0) index = 0;
        else if (std::wcscmp(argv[2], L"kestra") == 0) index = 1;
        else return Usage();
        const std::wstring root = WithSlash(argv[3]);
        const LauncherProbe& probe = kLauncherProbes[index];
        if (!WriteBytes(root + probe.program, "placeholder launcher client\r\n")) {
            std::fwprintf(stderr, L"cannot write %ls%ls\n", root.c_str(), probe.program);
            return 1;
        }
        return WriteIni(root + probe.deviceInfo, Encipher(argv[4], true));
    }
    if (argc == 4 && std::wcscmp(argv[2], L"--value") == 0) return WriteIni(argv[1], Narrow(argv[3]));
    if (argc == 3) return WriteIni(argv[1], Encipher(argv[2], true));
    if (argc == 4 && std::wcscmp(argv[3], L"--raw") == 0)
        return WriteIni(argv[1], Encipher(argv[2], false));
    return Usage();
}
