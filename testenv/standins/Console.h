#pragma once
// Shared bits of the console stand-ins: they print in the ANSI code page, as
// the real Windows programs do, and honour fault switches set by tests.
#include <windows.h>

#include <string>

namespace standin {

inline std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

inline void WriteBytes(DWORD which, const std::string& bytes) {
    HANDLE h = GetStdHandle(which);
    DWORD written = 0;
    if (h && h != INVALID_HANDLE_VALUE && !bytes.empty())
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

inline void Out(const std::wstring& text) { WriteBytes(STD_OUTPUT_HANDLE, ToAnsi(text)); }
inline void Err(const std::wstring& text) { WriteBytes(STD_ERROR_HANDLE, ToAnsi(text)); }

inline std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return (n > 0 && n < 1024) ? std::wstring(buf, n) : std::wstring();
}

inline std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

// STANDIN_FAULT=empty: print nothing at all; =notinstalled: behave as cmd does
// when the program does not exist. Returns true (with the exit code) when a
// fault took over.
inline bool ApplyFault(const wchar_t* programName, int& exitCode) {
    const std::wstring fault = Env(L"STANDIN_FAULT");
    if (fault == L"empty") {
        exitCode = 0;
        return true;
    }
    if (fault == L"notinstalled") {
        Err(L"'" + std::wstring(programName) +
            L"' 不是内部或外部命令，也不是可运行的程序\r\n或批处理文件。\r\n");
        exitCode = 9009;
        return true;
    }
    return false;
}

}  // namespace standin
