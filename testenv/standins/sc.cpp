// Stand-in for Windows' sc.exe as a zh-CN system prints it (English with
// STANDIN_SC_LANG=en), working on Wine's real service control manager.
#include "Console.h"

#include <shellapi.h>

#include <cstdio>

using standin::Env;
using standin::Lower;
using standin::Out;

namespace {

bool English() { return Lower(Env(L"STANDIN_SC_LANG")) == L"en"; }

std::wstring Success(const wchar_t* op) {
    return std::wstring(L"[SC] ") + op + (English() ? L" SUCCESS" : L" 成功") + L"\r\n";
}

std::wstring ErrorText(DWORD code) {
    const bool en = English();
    switch (code) {
    case ERROR_ACCESS_DENIED: return en ? L"Access is denied." : L"拒绝访问。";
    case ERROR_SERVICE_DOES_NOT_EXIST:
        return en ? L"The specified service does not exist as an installed service."
                  : L"指定的服务未安装。";
    case ERROR_SERVICE_NOT_ACTIVE: return en ? L"The service has not been started." : L"服务尚未启动。";
    case ERROR_SERVICE_MARKED_FOR_DELETE:
        return en ? L"The specified service has been marked for deletion."
                  : L"指定的服务已标记为删除。";
    case ERROR_SERVICE_EXISTS: return en ? L"The specified service already exists." : L"指定的服务已存在。";
    case ERROR_SERVICE_ALREADY_RUNNING:
        return en ? L"An instance of the service is already running." : L"服务的实例已在运行中。";
    default: {
        wchar_t buf[64];
        swprintf(buf, 64, en ? L"Error %lu." : L"错误 %lu。", static_cast<unsigned long>(code));
        return buf;
    }
    }
}

int Fail(const wchar_t* op, DWORD code) {
    wchar_t head[128];
    swprintf(head, 128, L"[SC] %ls %ls %lu:\r\n\r\n", op, English() ? L"FAILED" : L"失败",
             static_cast<unsigned long>(code));
    Out(head + ErrorText(code) + L"\r\n\r\n");
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
    Out(buf);
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
        Out(Success(L"DeleteService"));
        return 0;
    }
    Out(L"[SC] unsupported command\r\n");
    return 1;
}
