// The uninstall engine end to end: a real worker thread, the stand-in
// PowerShell and sc against Wine's service manager, and a receiving window.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "engine/ServiceUninstaller.h"
#include "log/LogSave.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;        // delivered by SendMessage from another thread
    DWORD threadId;   // the thread that ran the handler
};

std::vector<Received> g_received;

LRESULT CALLBACK ReceiverProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_EXECUTE_DONE || message == WM_UNINSTALL_RESULT) {
        g_received.push_back(Received{message, wParam, lParam,
                                      (InSendMessageEx(nullptr) & ISMEX_SEND) != 0,
                                      GetCurrentThreadId()});
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

// Plays the fix page: a window on this thread that collects the engine's
// messages while the thread pumps.
class Receiver {
public:
    Receiver() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HrEngineTestReceiver";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
        g_received.clear();
    }
    ~Receiver() { DestroyWindow(m_hWnd); }
    HWND Handle() const { return m_hWnd; }

    // Pumps until the outcome arrived (and a little longer, so that a
    // duplicate would be seen) or the time is up.
    void PumpUntilOutcome(DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        ULONGLONG settle = 0;
        while (GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            const bool done = !g_received.empty() && g_received.back().message == WM_UNINSTALL_RESULT;
            if (done && settle == 0) settle = GetTickCount64() + 1500;
            if (settle && GetTickCount64() > settle) return;
        }
    }

private:
    HWND m_hWnd = nullptr;
};

// The two messages, exactly once each, in order, sent to this thread's window.
void ExpectOutcomeMessages(UninstallResult expected) {
    ASSERT_EQ(2u, g_received.size());
    EXPECT_EQ(1525u, g_received[0].message);
    EXPECT_EQ(0u, g_received[0].wParam);
    EXPECT_EQ(1527u, g_received[1].message);
    EXPECT_EQ(static_cast<WPARAM>(expected), g_received[1].wParam);
    for (const Received& r : g_received) {
        EXPECT_EQ(0, r.lParam);
        EXPECT_TRUE(r.sent) << "posted, not sent";
        EXPECT_EQ(GetCurrentThreadId(), r.threadId);
    }
}

class ServiceManager {
public:
    ServiceManager() { m_scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }
    ~ServiceManager() {
        if (m_scm) CloseServiceHandle(m_scm);
    }

    bool Exists() {
        SC_HANDLE s = OpenServiceW(m_scm, L"HubrelayService", SERVICE_QUERY_STATUS);
        if (!s) return false;
        CloseServiceHandle(s);
        return true;
    }

    // Waits for a deletion to take effect (Wine removes a service that is
    // still stopping once it has stopped).
    bool GoneWithin(DWORD ms) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        while (GetTickCount64() < deadline) {
            if (!Exists()) return true;
            Sleep(100);
        }
        return !Exists();
    }

    // A running HubrelayService, as on an affected machine.
    bool CreateRunning() {
        if (Exists() && !RemoveQuietly()) return false;
        const std::wstring binary = L"\"" + wtest::TestEnvBin() + L"\\hubrelay-service.exe\"";
        SC_HANDLE s = CreateServiceW(m_scm, L"HubrelayService", L"Tessaro Veride Hubrelay", SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!s) return false;
        const BOOL started = StartServiceW(s, 0, nullptr);
        CloseServiceHandle(s);
        return started != FALSE;
    }

    bool RemoveQuietly() {
        SC_HANDLE s = OpenServiceW(m_scm, L"HubrelayService", SERVICE_ALL_ACCESS);
        if (!s) return true;
        SERVICE_STATUS st;
        ControlService(s, SERVICE_CONTROL_STOP, &st);
        DeleteService(s);
        CloseServiceHandle(s);
        return GoneWithin(10000);
    }

private:
    SC_HANDLE m_scm = nullptr;
};

std::wstring ToolLogPath() {
    wchar_t appData[MAX_PATH];
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_COMMON_APPDATA, FALSE);
    return std::wstring(appData) + L"\\ToolLog\\" + hrlog::kToolLogFileName;
}

// What the tool's log gained since `before` bytes, as wide text.
std::wstring LogSince(ULONGLONG before) {
    HANDLE h = CreateFileW(ToolLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::wstring();
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return hrlog::FromLogText(before < bytes.size() ? bytes.substr(static_cast<size_t>(before)) : "");
}

ULONGLONG LogSize() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToolLogPath().c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

UninstallResult RunOnce(CServiceUninstaller& engine, Receiver& receiver) {
    g_received.clear();
    EXPECT_EQ(1, engine.StartUninstall());
    // One worker at a time; the refusal is no failure and writes no record.
    // (A second run on the same engine shows the first one let go.)
    EXPECT_EQ(0, engine.StartUninstall());
    receiver.PumpUntilOutcome(60000);
    return g_received.size() == 2 ? static_cast<UninstallResult>(g_received[1].wParam) : UninstallResult(0);
}

}  // namespace

TEST(UninstallEngine, NotifyWindowMustBeAWindow) {
    Receiver receiver;
    CServiceUninstaller engine;
    EXPECT_EQ(0, engine.SetNotifyWindow(nullptr));
    EXPECT_EQ(nullptr, engine.GetNotifyWindow());
    EXPECT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    EXPECT_EQ(0, engine.SetNotifyWindow(nullptr));
    EXPECT_EQ(receiver.Handle(), engine.GetNotifyWindow());
}

TEST(UninstallEngine, RunningServiceIsRemovedAndASecondRunFindsNothing) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));

    const ULONGLONG logBefore = LogSize();
    EXPECT_EQ(RESULT_REMOVED, RunOnce(engine, receiver));
    ExpectOutcomeMessages(RESULT_REMOVED);
    EXPECT_TRUE(services.GoneWithin(10000));
    EXPECT_EQ(L"", LogSince(logBefore)) << "a removal writes no record";

    EXPECT_EQ(RESULT_NOT_PRESENT, RunOnce(engine, receiver));
    ExpectOutcomeMessages(RESULT_NOT_PRESENT);
    const std::wstring logged = LogSince(logBefore);
    EXPECT_NE(std::wstring::npos, logged.find(L"]   系统中未找到指定的服务\r\n"));
    EXPECT_EQ(std::wstring::npos, logged.find(L"失败"));
}

TEST(UninstallEngine, EnglishScReportsFailureAlthoughTheServiceIsGone) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));

    const ULONGLONG logBefore = LogSize();
    SetEnvironmentVariableW(L"STANDIN_SC_LANG", L"en");
    const UninstallResult result = RunOnce(engine, receiver);
    SetEnvironmentVariableW(L"STANDIN_SC_LANG", nullptr);

    EXPECT_EQ(RESULT_FAILED, result);
    ExpectOutcomeMessages(RESULT_FAILED);
    EXPECT_TRUE(services.GoneWithin(10000));
    const std::wstring logged = LogSince(logBefore);
    EXPECT_NE(std::wstring::npos, logged.find(L"]   卸载服务失败\r\n")) << hrlog::ToLogText(logged);
}

// Command texts as the pipe may deliver them: far longer than one read,
// with the verdict's first character cut in two by the read size, or empty.
TEST(UninstallEngine, OutcomesHoldForLongCutAndEmptyTexts) {
    struct Case {
        const char* what;
        const wchar_t* variable;
        const wchar_t* value;
        UninstallResult outcome;
    };
    // "[SC] DeleteService " is 19 bytes: 4,075 of filler put the lead byte of
    // "成" at byte 4,094, the last of the first 4,095-byte read.
    const Case cases[] = {
        {"PowerShell prints more than 64 KiB before the list", L"STANDIN_PAD", L"powershell:66000", RESULT_REMOVED},
        {"sc prints more than 64 KiB before its verdict", L"STANDIN_PAD", L"sc:66000", RESULT_REMOVED},
        {"the verdict cut at the read size", L"STANDIN_PAD", L"sc:4075", RESULT_REMOVED},
        {"nothing printed at all", L"STANDIN_FAULT", L"empty", RESULT_NOT_PRESENT},
    };
    ServiceManager services;
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(services.CreateRunning());
        SetEnvironmentVariableW(c.variable, c.value);
        const UninstallResult result = RunOnce(engine, receiver);
        SetEnvironmentVariableW(c.variable, nullptr);
        EXPECT_EQ(c.outcome, result);
        EXPECT_EQ(c.outcome == RESULT_REMOVED, services.GoneWithin(c.outcome == RESULT_REMOVED ? 10000 : 500));
    }
    services.RemoveQuietly();
}
