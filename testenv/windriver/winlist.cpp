// winlist <executable>
// One line per visible top-level window of every process running that
// executable (a full path, or just a file name to match any folder): "hwnd left top width height enabled children title", children being
// the number of its visible child windows (controls), the title in UTF-8.
// Exit code 0 when at least one window was listed.
//
// winlist --controls <executable>
// One line per control (child window) of those windows instead: "id left
// top width height visible enabled checked", in screen coordinates; checked
// is a button's BM_GETCHECK state (0 for other controls).
//
// winlist --post <hwnd> <message> <wParam> <lParam>
// Posts one message (numbers in decimal or 0x hexadecimal) to a window, as
// the taskbar does with WM_SYSCOMMAND. Exit code 0 when it was posted.
//
// winlist --hold <path>
// Opens the file without sharing it (creating it if need be) and keeps it so
// until its standard input ends: another program then cannot open it.
//
// winlist --sample <executable>
// Asks the stand-in companion library's resource sampler in the one running
// process of that executable for its counts and waits until they are
// written. Exit code 0 then.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <set>
#include <string>

namespace {

std::set<DWORD> g_pids;
int g_listed = 0;
bool g_controls = false;

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

BOOL CALLBACK CountVisibleChild(HWND hwnd, LPARAM count) {
    if (IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK PrintControl(HWND hwnd, LPARAM) {
    RECT rc;
    GetWindowRect(hwnd, &rc);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    DWORD_PTR checked = 0;
    if (lstrcmpiW(cls, L"Button") == 0) {
        SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    }
    std::printf("%d %ld %ld %ld %ld %d %d %d\n", GetDlgCtrlID(hwnd), rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top, IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0,
                static_cast<int>(checked));
    ++g_listed;
    return TRUE;
}

BOOL CALLBACK OnWindow(HWND hwnd, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (g_pids.count(pid) == 0 || !IsWindowVisible(hwnd)) return TRUE;
    if (g_controls) {
        EnumChildWindows(hwnd, PrintControl, 0);
        return TRUE;
    }
    RECT rc;
    GetWindowRect(hwnd, &rc);
    wchar_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    int children = 0;
    EnumChildWindows(hwnd, CountVisibleChild, reinterpret_cast<LPARAM>(&children));
    std::printf("%p %ld %ld %ld %ld %d %d %s\n", static_cast<void*>(hwnd), rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top, IsWindowEnabled(hwnd) ? 1 : 0, children, Utf8(title).c_str());
    ++g_listed;
    return TRUE;
}

// The processes running `executable` (a full path, or a file name in any folder).
void FindProcesses(const wchar_t* executable) {
    const std::wstring wanted = executable;
    const bool fullPath = wanted.find(L'\\') != std::wstring::npos;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (!fullPath) {
            if (lstrcmpiW(pe.szExeFile, wanted.c_str()) == 0) g_pids.insert(pe.th32ProcessID);
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 2];
        DWORD size = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, image, &size) && lstrcmpiW(image, wanted.c_str()) == 0) {
            g_pids.insert(pe.th32ProcessID);
        }
        CloseHandle(process);
    }
    CloseHandle(snap);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && lstrcmpW(argv[1], L"--hold") == 0) {
        HANDLE f = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        char c;
        DWORD got = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) && got > 0) {
        }
        CloseHandle(f);
        return 0;
    }
    if (argc == 3 && lstrcmpW(argv[1], L"--sample") == 0) {
        FindProcesses(argv[2]);
        if (g_pids.size() != 1) {
            std::fprintf(stderr, "winlist: %u processes run that executable\n", static_cast<unsigned>(g_pids.size()));
            return 1;
        }
        // The names carry the process id, so a process left over from an
        // earlier run can never answer for this one.
        const std::wstring suffix = L"." + std::to_wstring(*g_pids.begin());
        HANDLE sample = OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\HrStandinSample" + suffix).c_str());
        HANDLE sampled = OpenEventW(SYNCHRONIZE, FALSE, (L"Local\\HrStandinSampled" + suffix).c_str());
        const bool ok = sample && sampled && SetEvent(sample) && WaitForSingleObject(sampled, 20000) == WAIT_OBJECT_0;
        if (sample) CloseHandle(sample);
        if (sampled) CloseHandle(sampled);
        return ok ? 0 : 1;
    }
    if (argc == 6 && lstrcmpW(argv[1], L"--post") == 0) {
        auto number = [](const wchar_t* text) { return std::wcstoull(text, nullptr, 0); };
        HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(argv[2], nullptr, 16)));
        return PostMessageW(target, static_cast<UINT>(number(argv[3])), static_cast<WPARAM>(number(argv[4])),
                            static_cast<LPARAM>(number(argv[5])))
                   ? 0
                   : 1;
    }
    int arg = 1;
    if (argc > 1 && lstrcmpW(argv[1], L"--controls") == 0) {
        g_controls = true;
        ++arg;
    }
    if (argc <= arg) return 2;
    FindProcesses(argv[arg]);
    EnumWindows(OnWindow, 0);
    std::fflush(stdout);
    return g_listed > 0 ? 0 : 1;
}
