// The operating-system gate on this process's real environment block, and its
// WMI fallback through the real command runner and the stand-in PowerShell.
//
// HR_EXPECT_OS_VERSION ("major.minor") and HR_EXPECT_SUPPORTED ("0"/"1"),
// when set, state what the Windows version Wine was told to be must give.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "engine/CommandRunner.h"
#include "engine/ServiceUninstaller.h"
#include "engine/SystemVersionCore.h"

#include <cstdlib>
#include <string>

namespace {

// The version as the system libraries report it, independent of the
// environment block's layout.
bool SystemVersion(unsigned long& major, unsigned long& minor) {
    typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion) return false;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion(&info) != 0) return false;
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
    return true;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

int DecideWithCaption(unsigned long major, unsigned long minor, const wchar_t* caption) {
    wtest::SetStandin(L"STANDIN_OS_CAPTION", caption);
    const int result = hrengine::DecideSupportedSystem(
        major, minor, [](std::wstring command, std::wstring& output, long long& exitCode) {
            return RunCommandWithin(std::move(command), output, kCommandDeadlineMs, &exitCode);
        });
    wtest::SetStandin(L"STANDIN_OS_CAPTION", nullptr);
    return result;
}

}  // namespace

TEST(OsGate, EnvironmentBlockHoldsTheSystemsVersion) {
    unsigned long major = 0, minor = 0, sysMajor = 0, sysMinor = 0;
    ReadProcessOsVersion(major, minor);
    ASSERT_TRUE(SystemVersion(sysMajor, sysMinor));
    EXPECT_EQ(sysMajor, major);
    EXPECT_EQ(sysMinor, minor);

    const std::string expected = Env("HR_EXPECT_OS_VERSION");
    if (!expected.empty()) {
        EXPECT_EQ(expected, std::to_string(major) + "." + std::to_string(minor));
    }
}

TEST(OsGate, AnswerFollowsTheVersionTable) {
    unsigned long major = 0, minor = 0;
    ReadProcessOsVersion(major, minor);
    CServiceUninstaller engine;
    const int supported = engine.IsSupportedSystem();

    const std::string expected = Env("HR_EXPECT_SUPPORTED");
    if (!expected.empty()) {
        EXPECT_EQ(std::stoi(expected), supported) << major << "." << minor;
    }
    switch (hrengine::LookupWindowsVersion(major, minor)) {
    case hrengine::VersionSupport::Supported: EXPECT_EQ(1, supported); break;
    case hrengine::VersionSupport::Unsupported: EXPECT_EQ(0, supported); break;
    case hrengine::VersionSupport::Unknown: break;  // depends on the stand-in's caption
    }
}

TEST(OsGate, UnknownVersionsAskWmiThroughPowerShell) {
    EXPECT_EQ(1, DecideWithCaption(6, 4, L"Microsoft Windows 10 专业版"));
    EXPECT_EQ(1, DecideWithCaption(11, 0, L"Microsoft Windows 11 家庭中文版"));
    EXPECT_EQ(0, DecideWithCaption(6, 4, L"Microsoft Windows 8.1 专业版"));
    EXPECT_EQ(0, DecideWithCaption(11, 0, L"MICROSOFT WINDOWS 11 PRO"));
}
