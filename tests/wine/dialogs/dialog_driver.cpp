// Test driver: opens one of the tool's prompts modally, the way the tool's
// own code does, and prints what a shell test needs on stdout.
//
//   dialog_driver.exe prompt|execute|feedback [--text T] [--type N]
//                     [--scale S] [--client K] [--nolib] [--owner]
//
// prompt and execute take the scale from --scale (their callers assign it);
// feedback measures it from the screen. feedback reports through the
// companion library beside the driver unless --nolib is given. --owner
// opens a plain window first, over which the framework centres the prompt.
//
// Output lines: "ready" once the pair is shown, "result N" with DoModal's
// value at the end, and the answers to commands read from stdin, one a line:
//   info         geometry: parent, content, region, each control of the content
//   done         WM_EXECUTE_DONE to the parent, then whether the dots timer survived
//   close        WM_CLOSE posted to the parent
//   press ID     a keyboard press (space) on control ID of the content
//   cursor       where the system believes the mouse cursor is
//   keys         how many Enter and Esc key presses reached the dialogs' loop
//   layer        the parent's layer as rendered, premultiplied BGRA, written to
//                layer.bin beside the driver ("HRL1", width, height, rows top
//                down), so that a test can show it over a light desktop
//   quit         end the driver at once (exit code 3)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <thread>

#include "GdiplusSession.h"
#include "controls/ImageHelpers.h"
#include "dialogs/DialogImage.h"
#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/ProblemSolvingFeedbackDlg.h"
#include "dialogs/PromptDlg.h"
#include "framework/App.h"
#include "integration/FeedbackDll.h"
#include "res/resource.h"

namespace {

const UINT WM_DRIVER_COMMAND = WM_APP + 71;
const UINT_PTR kReadyTimer = 1;
const UINT_PTR kDotsTimer = 36;

CWinApp g_app;
CShadowParentDlg* g_pDlg = nullptr;
bool g_bReady = false;
int g_nReturnKeys = 0;
int g_nEscapeKeys = 0;

// Counts the keys the modal loop takes from the queue, so that a test knows
// its key presses arrived before it asserts that they changed nothing.
LRESULT CALLBACK CountKeys(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg != nullptr && msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_RETURN) ++g_nReturnKeys;
        if (msg->wParam == VK_ESCAPE) ++g_nEscapeKeys;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void PrintRect(const char* name, const RECT& rc) {
    Print("%s %ld %ld %ld %ld\n", name, rc.left, rc.top, rc.right, rc.bottom);
}

HWND ContentWindow() {
    return (g_pDlg != nullptr && g_pDlg->m_pContentDlg != nullptr) ? g_pDlg->m_pContentDlg->m_hWnd : nullptr;
}

void PrintInfo() {
    HWND hParent = g_pDlg ? g_pDlg->m_hWnd : nullptr;
    if (hParent == nullptr) {
        Print("info none\nend-info\n");
        return;
    }
    RECT rc;
    ::GetWindowRect(hParent, &rc);
    PrintRect("parent", rc);
    Print("layered %d\n", (::GetWindowLongW(hParent, GWL_EXSTYLE) & WS_EX_LAYERED) ? 1 : 0);
    Print("scale %.7f\n", static_cast<double>(g_pDlg->m_fScale));
    Print("movecontent %d\n", g_pDlg->m_bMoveContent);
    HWND hContent = ContentWindow();
    if (hContent != nullptr && ::IsWindow(hContent)) {
        ::GetWindowRect(hContent, &rc);
        PrintRect("content", rc);
        Print("content-visible %d\n", ::IsWindowVisible(hContent) ? 1 : 0);
        RECT client;
        ::GetClientRect(hContent, &client);
        Print("client %ld %ld\n", client.right, client.bottom);
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        const int kind = ::GetWindowRgn(hContent, rgn);
        RECT box{};
        ::GetRgnBox(rgn, &box);
        Print("region %d %ld %ld %ld %ld\n", kind, box.left, box.top, box.right, box.bottom);
        // The corner pixel is cut away; one corner-ellipse radius in, the edge is kept.
        Print("region-corner %d\n", ::PtInRegion(rgn, 0, 0) ? 1 : 0);
        Print("region-edge-mid %d\n", ::PtInRegion(rgn, 0, client.bottom / 2) ? 1 : 0);
        ::DeleteObject(rgn);
        for (HWND h = ::GetWindow(hContent, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
            ::GetWindowRect(h, &rc);
            wchar_t text[256] = L"";
            ::GetWindowTextW(h, text, 256);
            char utf8[1024] = "";
            ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
            Print("ctl %d %ld %ld %ld %ld %d %s\n", ::GetDlgCtrlID(h), rc.left, rc.top, rc.right, rc.bottom,
                  ::IsWindowVisible(h) ? 1 : 0, utf8);
        }
    } else {
        Print("content none\n");
    }
    Print("end-info\n");
}

void RunCommand(const std::string& line) {
    char verb[32] = "";
    int arg = 0;
    const int n = std::sscanf(line.c_str(), "%31s %d", verb, &arg);
    if (n < 1) return;
    const std::string cmd = verb;
    HWND hParent = g_pDlg ? g_pDlg->m_hWnd : nullptr;
    if (cmd == "info") {
        PrintInfo();
    } else if (cmd == "done") {
        HWND hContent = ContentWindow();
        HWND hLabel = hContent ? ::GetDlgItem(hContent, IDC_EXEC_STATUS) : nullptr;
        if (hParent) ::SendMessageW(hParent, WM_EXECUTE_DONE, 0, 0);
        // The pair is still there until the modal loop sees its end: a timer
        // that survived would keep the dots going.
        const BOOL alive = hLabel != nullptr && ::KillTimer(hLabel, kDotsTimer);
        Print("dots-timer-alive %d\n", alive ? 1 : 0);
    } else if (cmd == "close") {
        if (hParent) ::PostMessageW(hParent, WM_CLOSE, 0, 0);
        Print("closing\n");
    } else if (cmd == "press" && n == 2) {
        HWND hContent = ContentWindow();
        HWND hCtl = hContent ? ::GetDlgItem(hContent, arg) : nullptr;
        if (hCtl != nullptr) {
            ::SetFocus(hCtl);
            ::PostMessageW(hCtl, WM_KEYDOWN, VK_SPACE, 0x00390001);
            ::PostMessageW(hCtl, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
        }
        Print("pressed %d %d\n", arg, hCtl != nullptr ? 1 : 0);
    } else if (cmd == "keys") {
        Print("keys %d %d\n", g_nReturnKeys, g_nEscapeKeys);
    } else if (cmd == "cursor") {
        POINT pt{};
        ::GetCursorPos(&pt);
        Print("cursor %ld %ld\n", pt.x, pt.y);
    } else if (cmd == "layer") {
        RECT rc{};
        if (hParent) ::GetWindowRect(hParent, &rc);
        const int width = rc.right - rc.left, height = rc.bottom - rc.top;
        HBITMAP hLayer = (g_pDlg && g_pDlg->m_pShadowImage) ? dlg::RenderLayer(g_pDlg->m_pShadowImage, width, height)
                                                             : nullptr;
        DIBSECTION ds{};
        bool written = false;
        if (hLayer != nullptr && ::GetObjectW(hLayer, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits) {
            wchar_t path[MAX_PATH];
            const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
            std::wstring file(path, n);
            file = file.substr(0, file.find_last_of(L'\\') + 1) + L"layer.bin";
            if (FILE* f = _wfopen(file.c_str(), L"wb")) {
                const int header[2] = {width, height};
                std::fwrite("HRL1", 1, 4, f);
                std::fwrite(header, sizeof(int), 2, f);
                std::fwrite(ds.dsBm.bmBits, 4, static_cast<size_t>(width) * static_cast<size_t>(height), f);
                written = std::fclose(f) == 0;
            }
        }
        if (hLayer) ::DeleteObject(hLayer);
        Print("layer-written %d %d %d\n", written ? 1 : 0, width, height);
    } else if (cmd == "quit") {
        std::fflush(stdout);
        ::ExitProcess(3);
    } else {
        Print("unknown %s\n", cmd.c_str());
    }
}

LRESULT CALLBACK HelperProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRIVER_COMMAND) {
        RunCommand(*reinterpret_cast<const std::string*>(lParam));
        return 0;
    }
    if (message == WM_TIMER && wParam == kReadyTimer) {
        HWND hContent = ContentWindow();
        HWND hParent = g_pDlg ? g_pDlg->m_hWnd : nullptr;
        const bool parentUp = hParent != nullptr && ::IsWindowVisible(hParent);
        // A parent without its picture has no content; it is "ready" as it is.
        const bool contentUp = (hContent != nullptr && ::IsWindowVisible(hContent)) ||
                               (g_pDlg != nullptr && g_pDlg->m_pContentDlg == nullptr);
        if (!g_bReady && parentUp && contentUp) {
            g_bReady = true;
            ::KillTimer(hWnd, kReadyTimer);
            Print("ready\n");
        }
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

// Commands come from stdin on their own thread and run on the dialog's
// thread, inside its modal loop, as sent messages.
void ReadCommands(HWND hHelper) {
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), stdin) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        ::SendMessageW(hHelper, WM_DRIVER_COMMAND, 0, reinterpret_cast<LPARAM>(&line));
    }
}

std::wstring ArgValue(int argc, wchar_t** argv, const wchar_t* name, const wchar_t* fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], name) == 0) return argv[i + 1];
    }
    return fallback;
}

bool HasFlag(int argc, wchar_t** argv, const wchar_t* name) {
    for (int i = 2; i < argc; ++i) {
        if (std::wcscmp(argv[i], name) == 0) return true;
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dialog_driver prompt|execute|feedback [options]\n");
        return 2;
    }
    // Plain LF lines for the shell.
    _setmode(_fileno(stdout), _O_BINARY);
    // As the tool's manifest declares.
    ::SetProcessDPIAware();
    g_app.m_hInstance = ::GetModuleHandleW(nullptr);

    const std::wstring kind = argv[1];
    const std::wstring text = ArgValue(argc, argv, L"--text", L"");
    const int type = std::wcstol(ArgValue(argc, argv, L"--type", L"3").c_str(), nullptr, 10);
    const float scale = std::wcstof(ArgValue(argc, argv, L"--scale", L"1").c_str(), nullptr);
    const int client = std::wcstol(ArgValue(argc, argv, L"--client", L"0").c_str(), nullptr, 10);

    GdiplusSession graphics;

    WNDCLASSW wc{};
    wc.lpfnWndProc = HelperProc;
    wc.hInstance = g_app.m_hInstance;
    wc.lpszClassName = L"HrDialogDriverHelper";
    ::RegisterClassW(&wc);
    HWND hHelper = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     g_app.m_hInstance, nullptr);
    ::SetTimer(hHelper, kReadyTimer, 20, nullptr);
    ::SetWindowsHookExW(WH_GETMESSAGE, CountKeys, nullptr, ::GetCurrentThreadId());

    // A visible owner gives the framework something to centre the prompt over.
    CWnd owner;
    if (HasFlag(argc, argv, L"--owner")) {
        HWND hOwner = ::CreateWindowExW(0, L"STATIC", L"dialog driver owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 40,
                                        60, 700, 500, nullptr, nullptr, g_app.m_hInstance, nullptr);
        owner.SubclassWindow(hOwner);
        RECT rc;
        ::GetWindowRect(hOwner, &rc);
        PrintRect("owner", rc);
    }
    CWnd* pOwner = owner.m_hWnd ? &owner : nullptr;

    CFeedbackDll library;
    if (kind == L"feedback" && !HasFlag(argc, argv, L"--nolib")) Print("library %d\n", library.Load());

    std::thread(ReadCommands, hHelper).detach();

    INT_PTR result = -1;
    if (kind == L"prompt") {
        CPromptDlg dlg(pOwner);
        dlg.SetPromptText(text);
        dlg.SetPromptType(type);
        dlg.m_fScale = scale;
        g_pDlg = &dlg;
        result = dlg.DoModal();
    } else if (kind == L"execute") {
        CExecutePromptDlg dlg(pOwner);
        dlg.SetPromptText(text);
        dlg.m_fScale = scale;
        g_pDlg = &dlg;
        result = dlg.DoModal();
    } else if (kind == L"feedback") {
        CProblemSolvingFeedbackDlg dlg(pOwner);
        if (library.m_hModule != nullptr) dlg.SetFeedbackLibrary(&library);
        dlg.SetClientKind(client);
        g_pDlg = &dlg;
        result = dlg.DoModal();
    } else {
        std::fprintf(stderr, "unknown dialog\n");
        return 2;
    }
    g_pDlg = nullptr;
    Print("result %d\n", static_cast<int>(result));
    library.Unload();
    ::ExitProcess(0);
}
