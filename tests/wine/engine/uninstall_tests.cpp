// The uninstall engine end to end: a real worker thread, the stand-in
// PowerShell and sc against Wine's service manager, and a receiving window.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "engine/RunLock.h"
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

    // A running HubrelayService, as on an affected machine (registered under
    // `name`: Windows finds it in any letter case).
    bool CreateRunning(const wchar_t* name = L"HubrelayService") {
        if (Exists() && !RemoveQuietly()) return false;
        const std::wstring binary = L"\"" + wtest::TestEnvBin() + L"\\hubrelay-service.exe\"";
        SC_HANDLE s = CreateServiceW(m_scm, name, L"Tessaro Veride Hubrelay", SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!s) return false;
        const BOOL started = StartServiceW(s, 0, nullptr);
        CloseServiceHandle(s);
        return started != FALSE;
    }

    // A handle such as the services console keeps: a deleted service stays
    // listed until it is closed.
    SC_HANDLE Hold() { return OpenServiceW(m_scm, L"HubrelayService", SERVICE_ALL_ACCESS); }

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

// The texts of the records written since `before` bytes, without their
// time stamps.
std::vector<std::wstring> RecordsSince(ULONGLONG before) {
    const std::wstring logged = LogSince(before);
    std::vector<std::wstring> records;
    for (size_t at = 0; at < logged.size();) {
        size_t end = logged.find(L"\r\n", at);
        if (end == std::wstring::npos) end = logged.size();
        const std::wstring line = logged.substr(at, end - at);
        const size_t text = line.find(L"]   ");
        records.push_back(text == std::wstring::npos ? line : line.substr(text + 4));
        at = end + 2;
    }
    return records;
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

    // Nobody watching: a service that ends its stop goes at once, no restart.
    ASSERT_TRUE(services.CreateRunning());
    const hrengine::UninstallReport report = engine.UninstallNow();
    EXPECT_EQ(RESULT_REMOVED, report.result);
    EXPECT_FALSE(report.restartNeeded);
    ASSERT_FALSE(report.steps.empty());
    EXPECT_EQ(L"after delete: sc query exit 1060, gone", report.steps.back());
    EXPECT_FALSE(services.Exists());
}

namespace {

bool ServiceRunning() {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE s = scm ? OpenServiceW(scm, L"HubrelayService", SERVICE_QUERY_STATUS) : nullptr;
    SERVICE_STATUS st = {};
    const bool running = s && QueryServiceStatus(s, &st) && st.dwCurrentState == SERVICE_RUNNING;
    if (s) CloseServiceHandle(s);
    if (scm) CloseServiceHandle(scm);
    return running;
}

// Sets environment variables for the commands of one run, and puts the old
// values back.
class ScopedEnvironment {
public:
    void Set(const wchar_t* name, const wchar_t* value) {
        wchar_t old[4096];
        const DWORD n = GetEnvironmentVariableW(name, old, 4096);
        m_saved.emplace_back(name, n > 0 && n < 4096 ? std::wstring(old, n) : std::wstring());
        m_had.push_back(n > 0 && n < 4096);
        wtest::SetStandin(name, value);
    }
    ~ScopedEnvironment() {
        for (size_t i = m_saved.size(); i-- > 0;)
            wtest::SetStandin(m_saved[i].first.c_str(), m_had[i] ? m_saved[i].second.c_str() : nullptr);
    }

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_saved;
    std::vector<bool> m_had;
};

}  // namespace

// One run against a running service under the conditions of a real machine:
// texts as the pipe may deliver them, sc in other languages, PowerShell that
// prints nothing, is not found by the PATH, has a profile, or hangs. The
// outcome, the one record, the service's state and the commands' processes
// are checked.
TEST(UninstallEngine, OutcomesFollowWhatTheSystemDid) {
    struct Case {
        const char* what;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> environment;
        UninstallResult outcome;
        const wchar_t* record;  // the one log record; none for a removal
        DWORD deadlineMs;       // each command's
        bool held = false;      // a handle keeps the service listed after its delete
        const wchar_t* registeredAs = L"HubrelayService";
    };
    const DWORD kLong = 60000, kShort = 4000;
    // "[SC] DeleteService " is 19 bytes: 4,075 of filler put the lead byte of
    // "成" at byte 4,094, the last of the first 4,095-byte read.
    const Case cases[] = {
        {"PowerShell prints more than 64 KiB before the list", {{L"STANDIN_PAD", L"powershell:66000"}}, RESULT_REMOVED, nullptr, kLong},
        {"sc prints more than 64 KiB before its verdict", {{L"STANDIN_PAD", L"sc:66000"}}, RESULT_REMOVED, nullptr, kLong},
        {"the verdict cut at the read size", {{L"STANDIN_PAD", L"sc:4075"}}, RESULT_REMOVED, nullptr, kLong},
        {"sc in English", {{L"STANDIN_SC_LANG", L"en"}}, RESULT_REMOVED, nullptr, kLong},
        {"sc in German", {{L"STANDIN_SC_LANG", L"de"}}, RESULT_REMOVED, nullptr, kLong},
        {"sc in Korean", {{L"STANDIN_SC_LANG", L"ko"}}, RESULT_REMOVED, nullptr, kLong},
        {"PowerShell prints nothing at all", {{L"STANDIN_FAULT", L"powershell:empty"}}, RESULT_FAILED, L"执行查询服务失败", kLong},
        {"PowerShell is not there", {{L"STANDIN_FAULT", L"powershell:notinstalled"}}, RESULT_FAILED, L"执行查询服务失败", kLong},
        {"a PATH without PowerShell's folder", {{L"PATH", L"C:\\windows\\system32;C:\\windows"}}, RESULT_REMOVED, nullptr, kLong},
        {"a profile that prints another Name first", {{L"STANDIN_PROFILE", L"Name : Spooler"}}, RESULT_REMOVED, nullptr, kLong},
        {"a profile that asks a question", {{L"STANDIN_PROFILE", L"prompt"}}, RESULT_REMOVED, nullptr, kLong},
        {"PowerShell never ends", {{L"STANDIN_FAULT", L"powershell:hang"}}, RESULT_FAILED, L"执行查询服务失败", kShort},
        {"sc never ends", {{L"STANDIN_FAULT", L"sc:hang"}}, RESULT_FAILED, L"执行停止服务失败", kShort},
        // sc's exit code is its verdict, whatever its words.
        {"English sc: SUCCESS, and the service stays listed", {{L"STANDIN_SC_LANG", L"en"}}, RESULT_REMOVED, nullptr, kLong, true},
        {"sc exit 0 under a text of failure", {{L"STANDIN_SC_TEXT", L"delete:[SC] DeleteService FAILED 5:"}}, RESULT_REMOVED, nullptr, kLong, true},
        {"sc exit 1060: gone between the query and the delete",
         {{L"STANDIN_SC_STOP_THEN_DELETE", L"1"}, {L"STANDIN_SC_TEXT", L"delete:[SC] DeleteService FAILED 5:"}}, RESULT_REMOVED, nullptr, kLong},
        {"sc exit 5 under the success word", {{L"STANDIN_SC_EXIT", L"5"}, {L"STANDIN_SC_TEXT", L"delete:[SC] DeleteService 成功"}},
         RESULT_FAILED, L"卸载服务失败", kLong},
        {"German PowerShell that does not recognise the cmdlet", {{L"STANDIN_FAULT", L"powershell:notrecognised-de"}},
         RESULT_FAILED, L"执行查询服务失败", kLong},
        {"the service registered as hubrelayservice", {}, RESULT_REMOVED, nullptr, kLong, false, L"hubrelayservice"},
    };
    ServiceManager services;
    Receiver receiver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(services.CreateRunning(c.registeredAs));
        const SC_HANDLE held = c.held ? services.Hold() : nullptr;
        CServiceUninstaller engine(c.deadlineMs);
        ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
        const ULONGLONG logBefore = LogSize();
        const ULONGLONG start = GetTickCount64();
        UninstallResult result;
        {
            ScopedEnvironment environment;
            for (const auto& v : c.environment) environment.Set(v.first, v.second);
            result = RunOnce(engine, receiver);
        }
        EXPECT_EQ(c.outcome, result);
        ExpectOutcomeMessages(c.outcome);
        if (held) {
            EXPECT_TRUE(services.Exists()) << "the held service went at once: the case proves nothing";
            CloseServiceHandle(held);
        }
        if (c.outcome == RESULT_REMOVED) {
            EXPECT_TRUE(services.GoneWithin(10000));
        } else {
            EXPECT_TRUE(ServiceRunning()) << "a failed run leaves the service as it was";
        }
        EXPECT_EQ(c.record ? std::vector<std::wstring>({c.record}) : std::vector<std::wstring>(),
                  RecordsSince(logBefore));
        EXPECT_EQ(0, wtest::Processes(L"powershell.exe") + wtest::Processes(L"sc.exe"))
            << "a command's processes outlived the run";
        if (c.deadlineMs == kShort) {
            EXPECT_LT(GetTickCount64() - start, 15000u) << "the deadline did not hold";
        }
    }
    services.RemoveQuietly();
}

// A second run after a removal that waits for the restart (or with the
// services console holding the service): sc answers error 1072, which is the
// removal already under way.
TEST(UninstallEngine, ServiceMarkedForDeletionCountsAsRemoved) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE held = OpenServiceW(scm, L"HubrelayService", SERVICE_ALL_ACCESS);
    ASSERT_NE(nullptr, held);
    ASSERT_TRUE(DeleteService(held));
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    const ULONGLONG logBefore = LogSize();
    // In Chinese, in English, and under a text that says the opposite.
    const struct {
        const wchar_t* lang;
        const wchar_t* text;
    } scs[] = {{L"zh", L""}, {L"en", L""}, {L"en", L"delete:[SC] DeleteService FAILED 5:"}};
    for (const auto& sc : scs) {
        SCOPED_TRACE(testing::Message() << sc.lang << " " << sc.text);
        ScopedEnvironment environment;
        environment.Set(L"STANDIN_SC_LANG", sc.lang);
        environment.Set(L"STANDIN_SC_TEXT", sc.text);
        EXPECT_EQ(RESULT_REMOVED, RunOnce(engine, receiver));
        ExpectOutcomeMessages(RESULT_REMOVED);
    }
    // Nobody watching: the report says the restart completes it.
    const hrengine::UninstallReport report = engine.UninstallNow();
    EXPECT_EQ(RESULT_REMOVED, report.result);
    EXPECT_TRUE(report.restartNeeded);
    ASSERT_EQ(4u, report.steps.size());
    EXPECT_EQ(L"delete: sc exit 1072", report.steps[2]);
    EXPECT_EQ(L"", LogSince(logBefore));
    CloseServiceHandle(held);
    CloseServiceHandle(scm);
    EXPECT_TRUE(services.GoneWithin(10000));
}

DWORD WINAPI UninstallWithEnglishFormats(LPVOID engine) {
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    return static_cast<DWORD>(static_cast<CServiceUninstaller*>(engine)->UninstallService());
}

// The user's formats set to English (United States) on a zh-CN system: the
// worker's thread locale follows them, the commands still print in the
// system's code page.
TEST(UninstallEngine, TextIsReadInTheSystemsCodePageWhateverTheFormats) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    const ULONGLONG logBefore = LogSize();
    g_received.clear();
    HANDLE worker = CreateThread(nullptr, 0, &UninstallWithEnglishFormats, &engine, 0, nullptr);
    ASSERT_NE(nullptr, worker);
    receiver.PumpUntilOutcome(60000);
    WaitForSingleObject(worker, 10000);
    DWORD removed = 0;
    GetExitCodeThread(worker, &removed);
    CloseHandle(worker);
    EXPECT_EQ(1u, removed);
    ExpectOutcomeMessages(RESULT_REMOVED);
    EXPECT_TRUE(services.GoneWithin(10000));
    EXPECT_EQ(L"", LogSince(logBefore));
}

// A desktop run that finds another run of the tool under way (a deployment's
// quiet run) waits for it under its progress prompt, then runs as always.
TEST(UninstallEngine, DesktopRunWaitsForARunAlreadyUnderWay) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    CRunLock other;
    ASSERT_EQ(CRunLock::Taken, other.TryTake());
    EXPECT_EQ(CRunLock::Busy, [] {
        // From another thread: a mutex is its owning thread's to take again.
        struct Probe {
            static DWORD WINAPI Run(LPVOID) {
                CRunLock lock;
                return static_cast<DWORD>(lock.TryTake());
            }
        };
        HANDLE t = CreateThread(nullptr, 0, &Probe::Run, nullptr, 0, nullptr);
        WaitForSingleObject(t, 10000);
        DWORD state = 0;
        GetExitCodeThread(t, &state);
        CloseHandle(t);
        return static_cast<CRunLock::State>(state);
    }());
    g_received.clear();
    ASSERT_EQ(1, engine.StartUninstall());
    receiver.PumpUntilOutcome(4000);
    EXPECT_TRUE(g_received.empty()) << "the run did not wait for the one under way";
    EXPECT_TRUE(ServiceRunning());
    other.Release();
    receiver.PumpUntilOutcome(60000);
    ExpectOutcomeMessages(RESULT_REMOVED);
    EXPECT_TRUE(services.GoneWithin(10000));
}

// The lock's name held by something the tool did not make (an event, which
// any program may create first in Global\) is no run of the tool: the
// desktop run does not wait for it, and the tool's log says it went on.
TEST(UninstallEngine, DesktopRunDoesNotWaitForANameTheToolDidNotMake) {
    ServiceManager services;
    ASSERT_TRUE(services.CreateRunning());
    Receiver receiver;
    CServiceUninstaller engine;
    ASSERT_EQ(1, engine.SetNotifyWindow(receiver.Handle()));
    HANDLE squat = CreateEventW(nullptr, TRUE, FALSE, kRunLockName);
    ASSERT_NE(nullptr, squat);
    const ULONGLONG logBefore = LogSize();
    g_received.clear();
    ASSERT_EQ(1, engine.StartUninstall());
    // A wait for it would last ten minutes.
    receiver.PumpUntilOutcome(60000);
    ExpectOutcomeMessages(RESULT_REMOVED);
    EXPECT_TRUE(services.GoneWithin(10000));
    EXPECT_NE(std::wstring::npos, LogSince(logBefore).find(L"运行锁不可用")) << LogSince(logBefore).size();
    CloseHandle(squat);
}
