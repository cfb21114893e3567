// Stand-in for the two PowerShell commands the tool runs. The service query
// asks Wine's real service control manager; the WMI query prints the recovery
// configuration with a caption a test can set (STANDIN_OS_CAPTION).
// STANDIN_POWERSHELL_DELAY_MS makes it take that long before it answers, as a
// real PowerShell on a busy machine does. STANDIN_PROFILE is what the user's
// profile script prints, before the answer, unless -NoProfile is given;
// "prompt" stands for a profile that asks a question, which waits for ever
// on a hidden console unless -NonInteractive is given. STANDIN_FAULT=
// powershell:notrecognised-de answers as a German PowerShell that cannot
// resolve the cmdlet. "$env:NAME" prints that variable, so a test sees the
// environment the commands get.
#include "Console.h"

#include <shellapi.h>

#include <cwchar>

#include <vector>

using standin::Env;
using standin::Err;
using standin::Lower;
using standin::Out;

namespace {

std::wstring Pad(const std::wstring& name, size_t width) {
    std::wstring s = name;
    while (s.size() < width) s += L' ';
    return s;
}

const wchar_t* StatusName(DWORD state) {
    switch (state) {
    case SERVICE_STOPPED: return L"Stopped";
    case SERVICE_START_PENDING: return L"StartPending";
    case SERVICE_STOP_PENDING: return L"StopPending";
    case SERVICE_RUNNING: return L"Running";
    case SERVICE_CONTINUE_PENDING: return L"ContinuePending";
    case SERVICE_PAUSE_PENDING: return L"PausePending";
    case SERVICE_PAUSED: return L"Paused";
    default: return L"Stopped";
    }
}

int GetService(const std::wstring& name, const std::wstring& commandText) {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE svc = scm ? OpenServiceW(scm, name.c_str(), SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG)
                        : nullptr;
    if (!svc) {
        if (scm) CloseServiceHandle(scm);
        std::wstring squiggle(commandText.size(), L'~');
        Err(L"get-service : 找不到任何服务名称为“" + name + L"”的服务。\r\n"
            L"所在位置 行:1 字符: 1\r\n"
            L"+ " + commandText + L"\r\n"
            L"+ " + squiggle + L"\r\n"
            L"    + CategoryInfo          : ObjectNotFound: (" + name +
            L":String) [Get-Service], ServiceCommandException\r\n"
            L"    + FullyQualifiedErrorId : NoServiceFoundForGivenName,Microsoft.PowerShell.Commands.GetServiceCommand\r\n"
            L" \r\n");
        return 1;
    }
    SERVICE_STATUS status = {};
    QueryServiceStatus(svc, &status);
    // As PowerShell lists it: the name the service was registered with,
    // whatever letter case the command asked in.
    std::wstring listedName = name;
    std::vector<BYTE> buf(8192);
    DWORD needed = 0;
    std::wstring display = name;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data());
    if (QueryServiceConfigW(svc, config, static_cast<DWORD>(buf.size()), &needed) &&
        config->lpDisplayName && *config->lpDisplayName)
        display = config->lpDisplayName;
    wchar_t keyName[256];
    DWORD keyLength = 256;
    if (GetServiceKeyNameW(scm, display.c_str(), keyName, &keyLength)) listedName = keyName;
    CloseServiceHandle(svc);
    CloseServiceHandle(scm);

    const bool canStop = (status.dwControlsAccepted & SERVICE_ACCEPT_STOP) != 0;
    const bool canShutdown = (status.dwControlsAccepted & SERVICE_ACCEPT_SHUTDOWN) != 0;
    const bool canPause = (status.dwControlsAccepted & SERVICE_ACCEPT_PAUSE_CONTINUE) != 0;
    auto line = [](const wchar_t* key, const std::wstring& value) {
        return Pad(key, 20) + L": " + value + L"\r\n";
    };
    Out(L"\r\n" + line(L"Name", listedName) + line(L"DisplayName", display) +
        line(L"Status", StatusName(status.dwCurrentState)) + line(L"DependentServices", L"{}") +
        line(L"ServicesDependedOn", L"{}") +
        line(L"CanPauseAndContinue", canPause ? L"True" : L"False") +
        line(L"CanShutdown", canShutdown ? L"True" : L"False") +
        line(L"CanStop", canStop ? L"True" : L"False") + line(L"ServiceType", L"Win32OwnProcess") +
        L"\r\n\r\n\r\n");
    return 0;
}

int RecoveryConfiguration() {
    std::wstring caption = Env(L"STANDIN_OS_CAPTION");
    if (caption.empty()) caption = L"Microsoft Windows 10 专业版";
    const std::wstring name = caption + L"|C:\\Windows|\\Device\\Harddisk0\\Partition2";
    std::wstring escaped;
    for (wchar_t c : name) {
        if (c == L'\\') escaped += L'\\';
        escaped += c;
    }
    auto line = [](const wchar_t* key, const std::wstring& value) {
        return Pad(key, 27) + L": " + value + L"\r\n";
    };
    const std::wstring relpath = L"Win32_OSRecoveryConfiguration.Name=\"" + escaped + L"\"";
    Out(L"\r\n\r\n" + line(L"__GENUS", L"2") + line(L"__CLASS", L"Win32_OSRecoveryConfiguration") +
        line(L"__SUPERCLASS", L"CIM_Setting") + line(L"__DYNASTY", L"CIM_Setting") +
        line(L"__RELPATH", relpath) + line(L"__PROPERTY_COUNT", L"15") +
        line(L"__DERIVATION", L"{CIM_Setting}") + line(L"__SERVER", L"DESKTOP-WINE") +
        line(L"__NAMESPACE", L"root\\cimv2") +
        line(L"__PATH", L"\\\\DESKTOP-WINE\\root\\cimv2:" + relpath) +
        line(L"AutoReboot", L"True") + line(L"Caption", L"") +
        line(L"DebugFilePath", L"%SystemRoot%\\MEMORY.DMP") + line(L"DebugInfoType", L"7") +
        line(L"Description", L"") + line(L"ExpandedDebugFilePath", L"C:\\Windows\\MEMORY.DMP") +
        line(L"ExpandedMiniDumpDirectory", L"C:\\Windows\\Minidump") +
        line(L"KernelDumpOnly", L"False") + line(L"MiniDumpDirectory", L"%SystemRoot%\\Minidump") +
        line(L"Name", name) + line(L"OverwriteExistingDebugFile", L"True") +
        line(L"SendAdminAlert", L"False") + line(L"SettingID", L"") +
        line(L"WriteDebugInfo", L"True") + line(L"WriteToSystemLog", L"True") +
        line(L"PSComputerName", L"DESKTOP-WINE") + L"\r\n\r\n\r\n");
    return 0;
}

// A cmdlet named with its module (Microsoft.PowerShell.Management\Get-Service)
// is the same cmdlet.
std::wstring Unqualified(const std::wstring& word) {
    const size_t slash = word.rfind(L'\\');
    return slash == std::wstring::npos ? word : word.substr(slash + 1);
}

int NotRecognisedGerman(const std::wstring& command) {
    Err(L"Die Benennung \"get-service\" wurde nicht als Name eines Cmdlet, einer Funktion, einer Skriptdatei "
        L"oder eines ausführbaren Programms erkannt. Überprüfen Sie die Schreibweise des Namens, oder ob der "
        L"Pfad korrekt ist (sofern enthalten), und wiederholen Sie den Vorgang.\r\n"
        L"In Zeile:1 Zeichen:1\r\n+ " + command + L"\r\n"
        L"    + CategoryInfo          : ObjectNotFound: (get-service:String) [], CommandNotFoundException\r\n"
        L"    + FullyQualifiedErrorId : CommandNotFoundException\r\n \r\n");
    return 1;
}

std::vector<std::wstring> Words(const std::wstring& s) {
    std::vector<std::wstring> words;
    std::wstring cur;
    for (wchar_t c : s) {
        if (c == L' ' || c == L'\t') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    return words;
}

}  // namespace

// STANDIN_ENV_RECORD=<file>: the whole environment this PowerShell got, one
// variable a line (UTF-8), so a test can see what reached it.
void RecordEnvironment() {
    const std::wstring file = Env(L"STANDIN_ENV_RECORD");
    if (file.empty()) return;
    std::wstring text;
    if (wchar_t* env = GetEnvironmentStringsW()) {
        for (const wchar_t* p = env; *p; p += wcslen(p) + 1) text += std::wstring(p) + L"\n";
        FreeEnvironmentStringsW(env);
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

int wmain() {
    RecordEnvironment();
    const std::wstring delay = Env(L"STANDIN_POWERSHELL_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(wcstoul(delay.c_str(), nullptr, 10)));

    int faultExit = 0;
    if (standin::ApplyFault(L"powershell", faultExit)) return faultExit;

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring command;
    bool noProfile = false, nonInteractive = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = Lower(argv[i]);
        if (a == L"-noprofile") noProfile = true;
        if (a == L"-noninteractive") nonInteractive = true;
        if ((a == L"-command" || a == L"-c") && i + 1 < argc) {
            for (int j = i + 1; j < argc; ++j) command += (j > i + 1 ? L" " : L"") + std::wstring(argv[j]);
            break;
        }
    }
    LocalFree(argv);
    const std::wstring profile = Env(L"STANDIN_PROFILE");
    if (!noProfile && profile == L"prompt") {
        if (!nonInteractive) for (;;) Sleep(INFINITE);
        Err(L"Read-Host : PowerShell 正在非交互模式下运行。\r\n");
    } else if (!noProfile && !profile.empty()) {
        Out(profile + L"\r\n");
    }
    // PowerShell takes the rest of its command line as the script; quotes
    // only group it.
    std::wstring unquoted;
    for (wchar_t c : command)
        if (c != L'"') unquoted += c;
    command = unquoted;

    if (Env(L"STANDIN_FAULT") == L"powershell:notrecognised-de") return NotRecognisedGerman(command);
    const std::vector<std::wstring> words = Words(command);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring w = Lower(Unqualified(words[i]));
        if (w.compare(0, 5, L"$env:") == 0) {
            Out(Env(words[i].substr(5).c_str()) + L"\r\n");
            return 0;
        }
        if (w == L"get-service") {
            for (size_t j = i + 1; j + 1 < words.size(); ++j)
                if (Lower(words[j]) == L"-name") return GetService(words[j + 1], command);
        }
        // As PowerShell answers it: lets a test see which of the two
        // installed PowerShells (system32 or syswow64) a command reached.
        if (w == L"[environment]::is64bitprocess") {
            Out(sizeof(void*) == 8 ? L"True\r\n" : L"False\r\n");
            return 0;
        }
        if (w == L"get-wmiobject") {
            for (size_t j = i + 1; j < words.size(); ++j)
                if (Lower(words[j]) == L"win32_osrecoveryconfiguration") return RecoveryConfiguration();
        }
    }
    Err(L"powershell stand-in: unsupported command: " + command + L"\r\n");
    return 1;
}
