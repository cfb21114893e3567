#pragma once
// Which Windows versions the tool runs on, decided from the version pair the
// system records for the process and, for pairs it does not know, from the
// system's name as WMI reports it.
#include "engine/UninstallCore.h"

#include <string>

namespace hrengine {

enum class VersionSupport {
    Supported,    // a known version the tool supports
    Unsupported,  // a known version the tool refuses
    Unknown,      // not in the table: ask WMI
};

constexpr wchar_t kWmiVersionQuery[] =
    L"powershell -NoProfile -NonInteractive -command "
    L"\"Microsoft.PowerShell.Management\\Get-WmiObject -Class Win32_OSRecoveryConfiguration\"";

// The version table: 6.1 (Windows 7) and 10.0 (Windows 10 and 11) are
// supported; 5.0, 5.1, 5.2, 6.0, 6.2 and 6.3 are not; anything else is unknown.
VersionSupport LookupWindowsVersion(unsigned long major, unsigned long minor);

// 1 when the WMI text names "Windows 10" or "Windows 11" (case-sensitive).
int IsSupportedByWmiText(const std::wstring& text);

// The whole decision; `run` is used only for pairs outside the table, and a
// query that cannot be started counts as unsupported.
int DecideSupportedSystem(unsigned long major, unsigned long minor, const CommandRunnerFn& run);

}  // namespace hrengine
