#include "engine/CommandRunner.h"
#include "engine/ServiceUninstaller.h"
#include "engine/SystemVersionCore.h"

#include <cstring>

namespace {

// Where the environment block sits in the thread environment block, and where
// its OSMajorVersion and OSMinorVersion fields sit in it (OSMinorVersion
// follows directly). The 32-bit layout is also what a 32-bit process sees on
// 64-bit Windows.
#if defined(_WIN64)
const size_t kTebPebOffset = 0x60;
const size_t kPebOsMajorOffset = 0x118;
#else
const size_t kTebPebOffset = 0x30;
const size_t kPebOsMajorOffset = 0xA4;
#endif
const size_t kPebOsMinorOffset = kPebOsMajorOffset + sizeof(ULONG);

}  // namespace

void ReadProcessOsVersion(unsigned long& major, unsigned long& minor) {
    const unsigned char* teb = reinterpret_cast<const unsigned char*>(NtCurrentTeb());
    const unsigned char* peb = nullptr;
    std::memcpy(&peb, teb + kTebPebOffset, sizeof(peb));
    ULONG value = 0;
    std::memcpy(&value, peb + kPebOsMajorOffset, sizeof(value));
    major = value;
    std::memcpy(&value, peb + kPebOsMinorOffset, sizeof(value));
    minor = value;
}

int CServiceUninstaller::IsSupportedSystem() {
    unsigned long major = 0, minor = 0;
    ReadProcessOsVersion(major, minor);
    return hrengine::DecideSupportedSystem(major, minor, &RunCommand);
}
