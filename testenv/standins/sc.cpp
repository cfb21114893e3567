// Stand-in for Windows' sc.exe as a zh-CN system prints it (English, German
// or Korean with STANDIN_SC_LANG=en, de or ko), working on Wine's real
// service control manager. Like the real one it prints in the ANSI code
// page, so on the zh-CN test system Korean arrives as question marks.
// Its exit code is the Win32 error of the call it made, as the real one's.
// For tests whose words and numbers disagree, each of these takes "<op>:"
// in front to apply to that operation only:
//   STANDIN_SC_TEXT=<text>   does the operation, prints <text> instead
//   STANDIN_SC_EXIT=<code>   does nothing, prints its usual failure (or the
//                            text above) and ends with <code>
// STANDIN_SC_STOP_THEN_DELETE=1: a stop waits for the service to stop and
// deletes it, as another uninstaller running at the same time would.
#include "Console.h"

#include <shellapi.h>

#include <cstdio>

using standin::Env;
using standin::Lower;
using standin::Out;

namespace {

enum class Lang { Zh, En, De, Ko };

Lang Language() {
    const std::wstring lang = Lower(Env(L"STANDIN_SC_LANG"));
    if (lang == L"en") return Lang::En;
    if (lang == L"de") return Lang::De;
    if (lang == L"ko") return Lang::Ko;
    return Lang::Zh;
}

const wchar_t* Pick(const wchar_t* zh, const wchar_t* en, const wchar_t* de, const wchar_t* ko) {
    switch (Language()) {
    case Lang::En: return en;
    case Lang::De: return de;
    case Lang::Ko: return ko;
    default: return zh;
    }
}

std::wstring Success(const wchar_t* op) {
    return std::wstring(L"[SC] ") + op + L" " + Pick(L"成功", L"SUCCESS", L"ERFOLG", L"성공") + L"\r\n";
}

std::wstring ErrorText(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED: return Pick(L"拒绝访问。", L"Access is denied.", L"Zugriff verweigert", L"액세스가 거부되었습니다.");
    case ERROR_SERVICE_DOES_NOT_EXIST:
        return Pick(L"指定的服务未安装。", L"The specified service does not exist as an installed service.",
                    L"Der angegebene Dienst ist kein installierter Dienst.",
                    L"지정된 서비스가 설치된 서비스로 존재하지 않습니다.");
    case ERROR_SERVICE_NOT_ACTIVE:
        return Pick(L"服务尚未启动。", L"The service has not been started.", L"Der Dienst wurde nicht gestartet.",
                    L"서비스가 시작되지 않았습니다.");
    case ERROR_SERVICE_MARKED_FOR_DELETE:
        return Pick(L"指定的服务已标记为删除。", L"The specified service has been marked for deletion.",
                    L"Der angegebene Dienst wurde zum Löschen markiert.",
                    L"지정된 서비스를 삭제하도록 표시했습니다.");
    case ERROR_SERVICE_EXISTS:
        return Pick(L"指定的服务已存在。", L"The specified service already exists.",
                    L"Der angegebene Dienst ist bereits vorhanden.", L"지정된 서비스가 이미 있습니다.");
    case ERROR_SERVICE_ALREADY_RUNNING:
        return Pick(L"服务的实例已在运行中。", L"An instance of the service is already running.",
                    L"Es wird bereits eine Instanz des Dienstes ausgeführt.", L"서비스 인스턴스가 이미 실행 중입니다.");
    default: {
        wchar_t buf[64];
        swprintf(buf, 64, L"%ls %lu.", Pick(L"错误", L"Error", L"Fehler", L"오류"), static_cast<unsigned long>(code));
        return buf;
    }
    }
}

std::wstring g_op;  // the operation asked for, in lower case

// The value of a test switch for this operation: "<op>:<value>" or a value
// for every operation.
std::wstring Switch(const wchar_t* name) {
    const std::wstring value = Env(name);
    const size_t colon = value.find(L':');
    if (colon == std::wstring::npos) return value;
    return Lower(value.substr(0, colon)) == g_op ? value.substr(colon + 1) : std::wstring();
}

void Say(const std::wstring& text) {
    const std::wstring forced = Switch(L"STANDIN_SC_TEXT");
    Out(forced.empty() ? text : forced + L"\r\n");
}

int Fail(const wchar_t* op, DWORD code) {
    wchar_t head[128];
    swprintf(head, 128, L"[SC] %ls %ls %lu:\r\n\r\n", op, Pick(L"失败", L"FAILED", L"FEHLER", L"실패"),
             static_cast<unsigned long>(code));
    Say(head + ErrorText(code) + L"\r\n\r\n");
    return static_cast<int>(code);
}

const wchar_t* StateName(DWORD s) {
    switch (s) {
    case SERVICE_STOPPED: return L"STOPPED";
    case SERVICE_START_PENDING: return L"START_PENDING";
    case SERVICE_STOP_PENDING: return L"STOP_PENDING";
    case SERVICE_RUNNING: return L"RUNNING";
    case SERVICE_PAUSED: return L"PAUSED";
    default: return L"UNKNOWN";
    }
}

void StatusBlock(const std::wstring& name, const SERVICE_STATUS& st, bool withControls) {
    wchar_t buf[1024];
    std::wstring controls;
    if (withControls) {
        controls = L"\r\n                                (";
        controls += (st.dwControlsAccepted & SERVICE_ACCEPT_STOP) ? L"STOPPABLE" : L"NOT_STOPPABLE";
        controls += (st.dwControlsAccepted & SERVICE_ACCEPT_PAUSE_CONTINUE) ? L", PAUSABLE" : L", NOT_PAUSABLE";
        controls += (st.dwControlsAccepted & SERVICE_ACCEPT_SHUTDOWN) ? L", ACCEPTS_SHUTDOWN)"
                                                                      : L", IGNORES_SHUTDOWN)";
    }
    swprintf(buf, 1024,
             L"\r\nSERVICE_NAME: %ls \r\n"
             L"        TYPE               : %lx  WIN32_OWN_PROCESS  \r\n"
             L"        STATE              : %lu  %ls %ls\r\n"
             L"        WIN32_EXIT_CODE    : %lu  (0x%lx)\r\n"
             L"        SERVICE_EXIT_CODE  : %lu  (0x%lx)\r\n"
             L"        CHECKPOINT         : 0x%lx\r\n"
             L"        WAIT_HINT          : 0x%lx\r\n",
             name.c_str(), static_cast<unsigned long>(st.dwServiceType),
             static_cast<unsigned long>(st.dwCurrentState), StateName(st.dwCurrentState),
             controls.c_str(), static_cast<unsigned long>(st.dwWin32ExitCode),
             static_cast<unsigned long>(st.dwWin32ExitCode),
             static_cast<unsigned long>(st.dwServiceSpecificExitCode),
             static_cast<unsigned long>(st.dwServiceSpecificExitCode),
             static_cast<unsigned long>(st.dwCheckPoint), static_cast<unsigned long>(st.dwWaitHint));
    Say(buf);
}

// "key= value" pairs after the service name, as sc takes them.
std::wstring Option(int argc, wchar_t** argv, const wchar_t* key) {
    const std::wstring want = Lower(key);
    for (int i = 3; i + 1 < argc; ++i)
        if (Lower(argv[i]) == want) return argv[i + 1];
    return std::wstring();
}

}  // namespace

int wmain() {
    int faultExit = 0;
    if (standin::ApplyFault(L"sc", faultExit)) return faultExit;

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        Out(L"DESCRIPTION:\r\n        SC is a command line program used for communicating with the\r\n"
            L"        Service Control Manager and services.\r\n");
        return 1;
    }
    const std::wstring op = Lower(argv[1]);
    const std::wstring name = argv[2];
    g_op = op;
    const std::wstring forcedExit = Switch(L"STANDIN_SC_EXIT");
    if (!forcedExit.empty()) {
        const DWORD code = wcstoul(forcedExit.c_str(), nullptr, 10);
        if (code == 0) {
            Say(Success(L"DeleteService"));
            return 0;
        }
        return Fail(op == L"delete" ? L"DeleteService" : L"ControlService", code);
    }

    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm) return Fail(L"OpenSCManager", GetLastError());

    if (op == L"create") {
        std::wstring bin = Option(argc, argv, L"binPath=");
        std::wstring display = Option(argc, argv, L"DisplayName=");
        SC_HANDLE svc = CreateServiceW(scm, name.c_str(), display.empty() ? name.c_str() : display.c_str(),
                                       SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, bin.c_str(),
                                       nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!svc) return Fail(L"CreateService", GetLastError());
        CloseServiceHandle(svc);
        Out(Success(L"CreateService"));
        return 0;
    }

    SC_HANDLE svc = OpenServiceW(scm, name.c_str(), SERVICE_ALL_ACCESS);
    if (!svc) return Fail(L"OpenService", GetLastError());

    SERVICE_STATUS st = {};
    if (op == L"query") {
        if (!QueryServiceStatus(svc, &st)) return Fail(L"QueryServiceStatus", GetLastError());
        StatusBlock(name, st, true);
        Out(L"\r\n");
        return 0;
    }
    if (op == L"stop") {
        if (!ControlService(svc, SERVICE_CONTROL_STOP, &st)) return Fail(L"ControlService", GetLastError());
        StatusBlock(name, st, true);
        Out(L"\r\n");
        if (Env(L"STANDIN_SC_STOP_THEN_DELETE") == L"1") {
            for (int i = 0; i < 100 && QueryServiceStatus(svc, &st) && st.dwCurrentState != SERVICE_STOPPED; ++i)
                Sleep(100);
            DeleteService(svc);
        }
        CloseServiceHandle(svc);
        CloseServiceHandle(scm);
        return 0;
    }
    if (op == L"start") {
        if (!StartServiceW(svc, 0, nullptr)) return Fail(L"StartService", GetLastError());
        QueryServiceStatus(svc, &st);
        StatusBlock(name, st, false);
        Out(L"\r\n");
        return 0;
    }
    if (op == L"delete") {
        if (!DeleteService(svc)) return Fail(L"DeleteService", GetLastError());
        Say(Success(L"DeleteService"));
        return 0;
    }
    Out(L"[SC] unsupported command\r\n");
    return 1;
}
