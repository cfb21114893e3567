#include "engine/SystemVersionCore.h"

namespace hrengine {

namespace {

struct KnownVersion {
    unsigned long major;
    unsigned long minor;
    bool supported;
};

// Windows 8 and 8.1 lie between two supported versions and are still refused.
const KnownVersion kKnownVersions[] = {
    {5, 0, false},   // Windows 2000
    {5, 1, false},   // Windows XP
    {5, 2, false},   // Windows 2003
    {6, 0, false},   // Windows Vista
    {6, 1, true},    // Windows 7
    {6, 2, false},   // Windows 8
    {6, 3, false},   // Windows 8.1
    {10, 0, true},   // Windows 10 and 11
};

}  // namespace

VersionSupport LookupWindowsVersion(unsigned long major, unsigned long minor) {
    for (const KnownVersion& v : kKnownVersions) {
        if (v.major == major && v.minor == minor) {
            return v.supported ? VersionSupport::Supported : VersionSupport::Unsupported;
        }
    }
    return VersionSupport::Unknown;
}

int IsSupportedByWmiText(const std::wstring& text) {
    if (text.find(L"Windows 10") != std::wstring::npos) return 1;
    if (text.find(L"Windows 11") != std::wstring::npos) return 1;
    return 0;
}

int DecideSupportedSystem(unsigned long major, unsigned long minor, const CommandRunnerFn& run) {
    switch (LookupWindowsVersion(major, minor)) {
    case VersionSupport::Supported:
        return 1;
    case VersionSupport::Unsupported:
        return 0;
    case VersionSupport::Unknown:
        break;
    }
    std::wstring text;
    long long exitCode = kNoExitCode;
    if (!run(kWmiVersionQuery, text, exitCode)) return 0;
    return IsSupportedByWmiText(text);
}

}  // namespace hrengine
