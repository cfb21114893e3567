// a11y_reader <executable>
// What a screen reader learns through oleacc about the visible windows of
// the processes running that executable (a full Windows path): one line per
// window, then one per control of it, tab-separated, names in UTF-8:
//   win  <hwnd> <width>x<height> <flags> <name>
//   ctl  <hwnd of its window> <id> <flags> <name>
// flags, comma-separated: shown or hidden; focused (oleacc's focused state);
// unavailable (disabled); foreground (the window in front). The names and
// states are oleacc's answers for the window's client object, as NVDA or
// Narrator would ask. Exit code 0 when a window was listed.
#include <windows.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

// Spelled out: oleacc's import library also exports a symbol of this name,
// a DLL datum the linker would take as a code thunk.
const IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::set<DWORD> g_pids;
int g_listed = 0;

std::string Utf8(const wchar_t* w, int n) {
    if (w == nullptr || n <= 0) return std::string();
    const int len = WideCharToMultiByte(CP_UTF8, 0, w, n, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, n, &s[0], len, nullptr, nullptr);
    return s;
}

struct Heard {
    std::string name;
    std::string flags;
};

Heard Hear(HWND hwnd) {
    Heard heard;
    heard.flags = IsWindowVisible(hwnd) ? "shown" : "hidden";
    IAccessible* acc = nullptr;
    const HRESULT result = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                                  reinterpret_cast<void**>(&acc));
    if (FAILED(result) || acc == nullptr) {
        heard.flags += ",noaccessible";
        return heard;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (acc->get_accName(self, &name) == S_OK && name != nullptr) {
        heard.name = Utf8(name, static_cast<int>(SysStringLen(name)));
        SysFreeString(name);
    }
    VARIANT state;
    VariantInit(&state);
    if (SUCCEEDED(acc->get_accState(self, &state)) && state.vt == VT_I4) {
        if (state.lVal & STATE_SYSTEM_FOCUSED) heard.flags += ",focused";
        if (state.lVal & STATE_SYSTEM_UNAVAILABLE) heard.flags += ",unavailable";
    }
    acc->Release();
    return heard;
}

BOOL CALLBACK OnControl(HWND hwnd, LPARAM window) {
    const Heard heard = Hear(hwnd);
    std::printf("ctl\t%p\t%d\t%s\t%s\n", reinterpret_cast<void*>(window), GetDlgCtrlID(hwnd), heard.flags.c_str(),
                heard.name.c_str());
    return TRUE;
}

BOOL CALLBACK OnWindow(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (g_pids.count(pid) == 0 || !IsWindowVisible(hwnd)) return TRUE;
    RECT rc;
    GetWindowRect(hwnd, &rc);
    Heard heard = Hear(hwnd);
    if (GetForegroundWindow() == hwnd) heard.flags += ",foreground";
    std::printf("win\t%p\t%ldx%ld\t%s\t%s\n", static_cast<void*>(hwnd), rc.right - rc.left, rc.bottom - rc.top,
                heard.flags.c_str(), heard.name.c_str());
    EnumChildWindows(hwnd, OnControl, reinterpret_cast<LPARAM>(hwnd));
    ++g_listed;
    return TRUE;
}

void FindProcesses(const wchar_t* executable) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 2];
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, image, &size) && lstrcmpiW(image, executable) == 0) {
            g_pids.insert(pe.th32ProcessID);
        }
        CloseHandle(process);
    }
    CloseHandle(snap);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: a11y_reader <executable>\n");
        return 2;
    }
    CoInitialize(nullptr);
    FindProcesses(argv[1]);
    EnumWindows(OnWindow, 0);
    std::fflush(stdout);
    CoUninitialize();
    return g_listed > 0 ? 0 : 1;
}
