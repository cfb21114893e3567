#include "ResourceSampler.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::wstring g_countsPath;

// Wine keeps its GDI handle table where Windows keeps the shared one: the
// PEB's GdiSharedHandleTable (for a WOW64 process, the 64-bit PEB's). A
// live entry has a type.
struct GdiEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user;
};
const int kGdiEntries = 0x10000;

const GdiEntry* GdiTable() {
    char* peb = reinterpret_cast<char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#if defined(_WIN64)
    return *reinterpret_cast<GdiEntry**>(peb + 0xF8);
#else
    if (const GdiEntry* own = *reinterpret_cast<GdiEntry**>(peb + 0x94)) return own;
    char* teb = reinterpret_cast<char*>(NtCurrentTeb());
    const LONG wowTebOffset = *reinterpret_cast<LONG*>(teb + 0x0FDC);
    if (wowTebOffset == 0) return nullptr;
    const uint64_t peb64 = *reinterpret_cast<uint64_t*>(teb + wowTebOffset + 0x60);
    if (peb64 == 0 || peb64 > 0xFFFFFFFFull) return nullptr;
    const uint64_t table = *reinterpret_cast<uint64_t*>(static_cast<uintptr_t>(peb64) + 0xF8);
    return table <= 0xFFFFFFFFull ? reinterpret_cast<const GdiEntry*>(static_cast<uintptr_t>(table)) : nullptr;
#endif
}

long GdiObjects() {
    const DWORD byWindows = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (byWindows != 0) return static_cast<long>(byWindows);
    const GdiEntry* table = GdiTable();
    if (table == nullptr) return -1;
    long n = 0;
    for (int i = 0; i < kGdiEntries; ++i)
        if (table[i].type != 0) ++n;
    return n;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(count);
        EnumChildWindows(hwnd, CountChild, count);
    }
    return TRUE;
}

// Windows of the process, hidden ones included: the USER objects a dialog
// that is not destroyed leaves behind.
long UserObjects() {
    const DWORD byWindows = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (byWindows != 0) return static_cast<long>(byWindows);
    long n = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&n));
    return n;
}

// Wine answers SystemExtendedHandleInformation with one server request; a
// probe of every handle value would be one request per value, some 14 s for
// a WOW64 process, longer than a caller waits on a loaded machine.
struct HandleEntry {
    PVOID object;
    ULONG_PTR process;
    ULONG_PTR value;
    ULONG access;
    USHORT backTrace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
const ULONG kSystemExtendedHandleInformation = 64;

long HandlesFromSystemList() {
    using Query = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return -1;
    // Outside the heap: the process's heap is what the private count watches.
    SIZE_T size = 1 << 16;
    for (int tries = 0; tries < 8; ++tries) {
        void* buffer = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (buffer == nullptr) return -1;
        ULONG needed = 0;
        const LONG status = query(kSystemExtendedHandleInformation, buffer, static_cast<ULONG>(size), &needed);
        long n = -1;
        if (status == 0) {
            const auto* list = static_cast<const HandleList*>(buffer);
            n = 0;
            for (ULONG_PTR i = 0; i < list->count; ++i)
                if (list->entries[i].process == GetCurrentProcessId()) ++n;
        }
        VirtualFree(buffer, 0, MEM_RELEASE);
        if (status != static_cast<LONG>(0xC0000004)) return n;  // not STATUS_INFO_LENGTH_MISMATCH
        size = std::max<SIZE_T>(size * 2, needed + 4096);
    }
    return -1;
}

long KernelHandles() {
    DWORD byWindows = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &byWindows) && byWindows != 0)
        return static_cast<long>(byWindows);
    return HandlesFromSystemList();
}

// Committed private memory, summed over the address space.
unsigned long long PrivateBytes() {
    unsigned long long sum = 0;
    MEMORY_BASIC_INFORMATION m;
    const char* p = nullptr;
    while (VirtualQuery(p, &m, sizeof(m)) == sizeof(m)) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) sum += m.RegionSize;
        const char* next = static_cast<const char*>(m.BaseAddress) + m.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return sum;
}

DWORD WINAPI Sampler(LPVOID) {
    const std::wstring suffix = L"." + std::to_wstring(GetCurrentProcessId());
    HANDLE sample = CreateEventW(nullptr, FALSE, FALSE, (L"Local\\HrStandinSample" + suffix).c_str());
    HANDLE sampled = CreateEventW(nullptr, FALSE, FALSE, (L"Local\\HrStandinSampled" + suffix).c_str());
    if (!sample || !sampled) return 1;
    for (;;) {
        if (WaitForSingleObject(sample, INFINITE) != WAIT_OBJECT_0) return 1;
        char text[256];
        const int n = std::snprintf(text, sizeof(text), "gdi %ld\r\nuser %ld\r\nhandles %ld\r\nprivate %llu\r\n",
                                    GdiObjects(), UserObjects(), KernelHandles(), PrivateBytes());
        HANDLE f = CreateFileW(g_countsPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, text, static_cast<DWORD>(n), &written, nullptr);
            CloseHandle(f);
        }
        SetEvent(sampled);
    }
}

}  // namespace

void StartResourceSampler(const std::wstring& countsPath) {
    static bool started = false;
    if (started) return;
    started = true;
    g_countsPath = countsPath;
    HANDLE thread = CreateThread(nullptr, 0, Sampler, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}
