#include "controls/SystemLibrary.h"

#include <string>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const wchar_t* dllName) {
    if (dllName == nullptr || *dllName == L'\0') return nullptr;
    // The search flags came with the loader update that added AddDllDirectory;
    // without it (an unpatched Windows 7) the flag is rejected.
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel32 != nullptr && ::GetProcAddress(kernel32, "AddDllDirectory") != nullptr) {
        return ::LoadLibraryExW(dllName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    wchar_t dir[MAX_PATH];
    UINT len = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return nullptr;
    std::wstring path(dir, len);
    if (path.back() != L'\\') path += L'\\';
    path += dllName;
    // With a full path, the DLL's own dependencies are looked up beside it.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
