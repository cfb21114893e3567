#include "engine/CommandRunner.h"
#include "engine/ServiceUninstaller.h"
#include "engine/SystemVersionCore.h"
#include "framework/StartupTrace.h"

#include <cstring>
#include <utility>

namespace {

// Where the OSMajorVersion field sits in the process environment block
// (OSMinorVersion follows directly). The 32-bit layout is also what a 32-bit
// process sees on 64-bit Windows.
#if defined(_WIN64)
const size_t kPebOsMajorOffset = 0x118;
#else
const size_t kPebOsMajorOffset = 0xA4;
#endif
const size_t kPebOsMinorOffset = kPebOsMajorOffset + sizeof(ULONG);

// The environment block's address, from the thread environment block the
// segment register points at (its ProcessEnvironmentBlock field).
const unsigned char* CurrentPeb() {
    const unsigned char* peb = nullptr;
#if defined(_WIN64)
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
#else
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    return peb;
}

}  // namespace

void ReadProcessOsVersion(unsigned long& major, unsigned long& minor) {
    const unsigned char* peb = CurrentPeb();
    ULONG value = 0;
    std::memcpy(&value, peb + kPebOsMajorOffset, sizeof(value));
    major = value;
    std::memcpy(&value, peb + kPebOsMinorOffset, sizeof(value));
    minor = value;
}

int CServiceUninstaller::IsSupportedSystem() {
    unsigned long major = 0, minor = 0;
    ReadProcessOsVersion(major, minor);
    const int supported = hrengine::DecideSupportedSystem(
        major, minor, [](std::wstring command, std::wstring& output, long long& exitCode) {
            return RunCommandWithin(std::move(command), output, kCommandDeadlineMs, &exitCode);
        });
    hr::trace::Mark("system checked");
    return supported;
}
