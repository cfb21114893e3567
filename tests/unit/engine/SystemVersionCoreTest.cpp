#include "ScriptedRunner.h"
#include "engine/SystemVersionCore.h"

#include <gtest/gtest.h>

using namespace hrengine;

TEST(VersionTable, OnlySevenAndTenAreSupported) {
    EXPECT_EQ(VersionSupport::Supported, LookupWindowsVersion(6, 1));
    EXPECT_EQ(VersionSupport::Supported, LookupWindowsVersion(10, 0));
    for (auto pair : {std::make_pair(5ul, 0ul), std::make_pair(5ul, 1ul), std::make_pair(5ul, 2ul),
                      std::make_pair(6ul, 0ul), std::make_pair(6ul, 2ul), std::make_pair(6ul, 3ul)}) {
        EXPECT_EQ(VersionSupport::Unsupported, LookupWindowsVersion(pair.first, pair.second))
            << pair.first << "." << pair.second;
    }
    EXPECT_EQ(VersionSupport::Unknown, LookupWindowsVersion(6, 4));
    EXPECT_EQ(VersionSupport::Unknown, LookupWindowsVersion(11, 0));
    EXPECT_EQ(VersionSupport::Unknown, LookupWindowsVersion(10, 1));
    EXPECT_EQ(VersionSupport::Unknown, LookupWindowsVersion(0, 0));
}

TEST(VersionGate, KnownVersionsNeverRunTheQuery) {
    ScriptedRunner runner;
    runner.Answer(kWmiVersionQuery, 1, L"Name : Microsoft Windows 10 专业版");
    EXPECT_EQ(1, DecideSupportedSystem(10, 0, runner.Fn()));
    EXPECT_EQ(1, DecideSupportedSystem(6, 1, runner.Fn()));
    EXPECT_EQ(0, DecideSupportedSystem(6, 3, runner.Fn()));
    EXPECT_EQ(0, DecideSupportedSystem(5, 1, runner.Fn()));
    EXPECT_TRUE(runner.calls.empty());
}

TEST(VersionGate, UnknownPairsAskWmiForTheSystemName) {
    struct Case {
        unsigned long major, minor;
        const wchar_t* text;
        int expected;
    };
    const Case cases[] = {
        {6, 4, L"Name : Microsoft Windows 10 专业版|C:\\WINDOWS|\\Device\\Harddisk0\\Partition3", 1},
        {11, 0, L"Name : Microsoft Windows 11 家庭中文版|C:\\WINDOWS", 1},
        {6, 4, L"Name : Microsoft Windows 8.1 专业版", 0},
        {11, 0, L"Name : Microsoft Windows Server 2022", 0},
        {6, 4, L"Name : MICROSOFT WINDOWS 10 PRO", 0},
        {11, 0, L"Name : microsoft windows 11 pro", 0},
        {11, 0, L"Name : Windows10", 0},
        {6, 4, L"", 0},
        {11, 0, L"Get-WmiObject : 拒绝访问。", 0},
    };
    for (const Case& c : cases) {
        ScriptedRunner runner;
        runner.Answer(kWmiVersionQuery, 1, c.text);
        EXPECT_EQ(c.expected, DecideSupportedSystem(c.major, c.minor, runner.Fn())) << c.major << "." << c.minor;
        EXPECT_EQ(std::vector<std::wstring>(
                      {L"powershell -NoProfile -NonInteractive -command \"Microsoft.PowerShell.Management\\Get-WmiObject "
                       L"-Class Win32_OSRecoveryConfiguration\""}),
                  runner.calls);
    }
}

TEST(VersionGate, AQueryThatCannotRunRefuses) {
    ScriptedRunner runner;
    runner.Answer(kWmiVersionQuery, 0, L"");
    EXPECT_EQ(0, DecideSupportedSystem(6, 4, runner.Fn()));
    EXPECT_EQ(0, DecideSupportedSystem(11, 0, runner.Fn()));
    EXPECT_EQ(2u, runner.calls.size());
}
