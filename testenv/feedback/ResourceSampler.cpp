#include "ResourceSampler.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>

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

long KernelHandles() {
    DWORD byWindows = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &byWindows) && byWindows != 0)
        return static_cast<long>(byWindows);
    long n = 0;
    for (uintptr_t value = 4; value < (1u << 20); value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++n;
    }
    return n;
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
    HANDLE sample = CreateEventW(nullptr, FALSE, FALSE, L"Local\\HrStandinSample");
    HANDLE sampled = CreateEventW(nullptr, FALSE, FALSE, L"Local\\HrStandinSampled");
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
