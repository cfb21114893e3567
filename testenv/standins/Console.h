#pragma once
// Shared bits of the console stand-ins: they print in the ANSI code page, as
// the real Windows programs do, and honour fault switches set by tests.
#include <windows.h>

#include <cwchar>
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

// A test's setting: from the environment when the test started the
// stand-in itself, else from HKCU\Software\HubrelayStandins, as the tool
// passes none of its caller's variables to the commands it starts.
inline std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    if (n > 0 && n < 1024) return std::wstring(buf, n);
    // A test script's own call, not one of the tool's commands.
    if (GetEnvironmentVariableW(L"STANDIN_NO_REGISTRY", nullptr, 0) > 0) return std::wstring();
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\HubrelayStandins", name, RRF_RT_REG_SZ,
                     nullptr, buf, &size) == ERROR_SUCCESS)
        return std::wstring(buf);
    return std::wstring();
}

// The program's own name, as ApplyFault was told it.
inline std::wstring& ProgramName() {
    static std::wstring name;
    return name;
}

// STANDIN_PAD=<program>:<bytes> puts that many bytes of filler (dashes, then
// a line break) in front of the program's first output, in the same write:
// enough of them make the answer arrive in many pipe reads, the right number
// cuts one of its double-byte characters at the reader's read size.
inline std::string Filler() {
    const std::wstring pad = Env(L"STANDIN_PAD");
    const size_t colon = pad.find(L':');
    if (colon == std::wstring::npos || pad.substr(0, colon) != ProgramName()) return std::string();
    const unsigned long bytes = wcstoul(pad.c_str() + colon + 1, nullptr, 10);
    if (bytes < 2) return std::string();
    return std::string(bytes - 2, '-') + "\r\n";
}

inline void Out(const std::wstring& text) {
    static bool padded = false;
    std::string bytes = ToAnsi(text);
    if (!padded) {
        padded = true;
        bytes = Filler() + bytes;
    }
    WriteBytes(STD_OUTPUT_HANDLE, bytes);
}
inline void Err(const std::wstring& text) { WriteBytes(STD_ERROR_HANDLE, ToAnsi(text)); }

inline std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

// STANDIN_FAULT=<fault> or <program>:<fault> (that program only):
// empty: print nothing at all (as Wine's own powershell does); notinstalled:
// behave as cmd does when the program does not exist; hang: never end, as a
// program stuck on a prompt or a lock does. Returns true (with the exit
// code) when a fault took over.
inline bool ApplyFault(const wchar_t* programName, int& exitCode) {
    ProgramName() = programName;
    std::wstring fault = Env(L"STANDIN_FAULT");
    const size_t colon = fault.find(L':');
    if (colon != std::wstring::npos) {
        if (fault.substr(0, colon) != programName) return false;
        fault.erase(0, colon + 1);
    }
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
    if (fault == L"hang") {
        for (;;) Sleep(INFINITE);
    }
    return false;
}

}  // namespace standin
