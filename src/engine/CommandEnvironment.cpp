#include "engine/CommandEnvironment.h"

namespace hrengine {

namespace {

bool SameNameIgnoringCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

// What Windows sets for the machine and the commands may need: where the
// shared folders are, and what the processor is. Not the folders the tool
// computes below, and nothing of a user's.
const wchar_t* const kMachineVariables[] = {
    L"ALLUSERSPROFILE",      L"CommonProgramFiles",     L"CommonProgramFiles(x86)", L"CommonProgramW6432",
    L"COMPUTERNAME",         L"NUMBER_OF_PROCESSORS",   L"OS",                      L"PROCESSOR_ARCHITECTURE",
    L"PROCESSOR_ARCHITEW6432", L"PROCESSOR_IDENTIFIER", L"PROCESSOR_LEVEL",         L"PROCESSOR_REVISION",
    L"ProgramData",          L"ProgramFiles",           L"ProgramFiles(x86)",       L"ProgramW6432",
    L"PUBLIC",
};

}  // namespace

bool IsMachineVariable(const std::wstring& name) {
    for (const wchar_t* allowed : kMachineVariables) {
        if (SameNameIgnoringCase(name, allowed)) return true;
    }
    return false;
}

std::vector<std::wstring> CommandEnvironmentEntries(const std::vector<std::wstring>& machine,
                                                    const SystemFolders& folders) {
    std::vector<std::wstring> entries;
    for (const std::wstring& entry : machine) {
        // "=C:=C:\..." entries (a drive's current folder) have no name.
        const size_t eq = entry.find(L'=', 1);
        if (eq == std::wstring::npos || entry[0] == L'=') continue;
        if (IsMachineVariable(entry.substr(0, eq))) entries.push_back(entry);
    }
    const std::wstring& windows = folders.windows;
    const std::wstring& system = folders.system;
    const std::wstring powerShellHome = system + L"\\WindowsPowerShell\\v1.0";
    entries.push_back(L"SystemRoot=" + windows);
    entries.push_back(L"windir=" + windows);
    if (windows.size() >= 2 && windows[1] == L':') entries.push_back(L"SystemDrive=" + windows.substr(0, 2));
    entries.push_back(L"ComSpec=" + system + L"\\cmd.exe");
    entries.push_back(L"PATHEXT=.COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC");
    // The machine's temporary folder, as SYSTEM has it: not one the user
    // who started the tool can write and read back.
    entries.push_back(L"TEMP=" + windows + L"\\Temp");
    entries.push_back(L"TMP=" + windows + L"\\Temp");
    entries.push_back(L"Path=" + system + L";" + windows + L";" + system + L"\\Wbem;" + powerShellHome + L"\\");
    entries.push_back(L"PSModulePath=" + powerShellHome + L"\\Modules");
    return entries;
}

}  // namespace hrengine
