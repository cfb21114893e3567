#pragma once
// The environment of every command the tool starts. Portable: no Windows
// headers.
//
// The commands run with the tool's rights, as an administrator or as SYSTEM,
// and what their environment names decides what they load: PATH and
// PSModulePath which program or module answers for a name, COR_PROFILER and
// COR_PROFILER_PATH a profiler library the .NET runtime under PowerShell
// loads, TEMP where PowerShell writes scripts it then runs. Every one of
// them can be set by the user who started the tool. So a command gets none
// of the user's variables: only those Windows sets for the machine, by an
// allow-list, with the Windows and system folders and what derives from
// them taken from the system itself.
#include <string>
#include <vector>

namespace hrengine {

struct SystemFolders {
    std::wstring windows;  // "C:\Windows"
    std::wstring system;   // "C:\Windows\system32"
};

// Whether `name` is one of the machine's variables a command may keep as the
// machine block gives it (letter case ignored).
bool IsMachineVariable(const std::wstring& name);

// The entries ("NAME=value") of a command's environment: from `machine`
// (the machine's own block, as "NAME=value" entries) those IsMachineVariable
// allows, then SystemRoot, windir, SystemDrive, ComSpec, PATHEXT, TEMP, TMP,
// Path and PSModulePath from `folders`.
std::vector<std::wstring> CommandEnvironmentEntries(const std::vector<std::wstring>& machine,
                                                    const SystemFolders& folders);

}  // namespace hrengine
