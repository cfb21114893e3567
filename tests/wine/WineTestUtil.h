#pragma once
// Small helpers shared by the Wine-side test programs.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace wtest {

// Folder of the running test program, without a trailing backslash.
inline std::wstring ModuleDir() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\'));
}

// The x86_64 build tree's stand-ins and test helpers (testenv/bin); test
// programs live at tests/wine/<area>/ below the same tree.
inline std::wstring TestEnvBin() { return ModuleDir() + L"\\..\\..\\..\\testenv\\bin"; }

// How many processes of that image name run in the prefix; with `end`, each
// is ended too (what a failed case left behind).
inline int Processes(const wchar_t* exeName, bool end = false) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, exeName) != 0) continue;
        ++count;
        HANDLE h = end ? OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID) : nullptr;
        if (h) {
            TerminateProcess(h, 1);
            CloseHandle(h);
        }
    }
    CloseHandle(snapshot);
    return count;
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring TempDir(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + name;
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// Deletes a folder with everything below it (test scratch folders only).
inline void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

inline bool WriteAnsiFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return written == bytes.size();
}

// Where the stand-ins (testenv/standins) read a setting their environment
// lacks: the tool gives the commands it starts the machine's variables only,
// so a test's STANDIN_* variables reach them only from here.
constexpr wchar_t kStandinKey[] = L"Software\\HubrelayStandins";

// Sets a variable (nullptr clears it) in this process's environment, and a
// stand-in's setting (a STANDIN_* name) also in the registry, for the
// stand-ins the tool's commands start.
inline void SetStandin(const wchar_t* name, const wchar_t* value) {
    SetEnvironmentVariableW(name, value);
    if (wcsncmp(name, L"STANDIN_", 8) != 0) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStandinKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (value != nullptr) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);
}

}  // namespace wtest
