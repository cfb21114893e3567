#include "engine/CommandEnvironment.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <cwchar>
#include <vector>

using hrengine::CommandEnvironmentEntries;
using hrengine::SystemFolders;

namespace {

// Name (upper case) to value; a name given twice fails the test.
std::map<std::wstring, std::wstring> ByName(const std::vector<std::wstring>& entries) {
    std::map<std::wstring, std::wstring> names;
    for (const std::wstring& entry : entries) {
        const size_t eq = entry.find(L'=');
        EXPECT_NE(eq, std::wstring::npos);
        std::wstring name = entry.substr(0, eq);
        for (wchar_t& c : name)
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        EXPECT_TRUE(names.emplace(name, entry.substr(eq + 1)).second) << "twice: " << std::string(name.begin(), name.end());
    }
    return names;
}

const SystemFolders kFolders{L"C:\\Windows", L"C:\\Windows\\system32"};

}  // namespace

// What the user who started the tool may set never reaches a command, not
// even under a name the machine uses: those come from the system.
TEST(CommandEnvironment, NothingOfTheUsersReachesACommand) {
    const std::vector<std::wstring> source = {
        L"COR_ENABLE_PROFILING=1",
        L"COR_PROFILER={00000000-0000-0000-0000-000000000001}",
        L"COR_PROFILER_PATH=C:\\Users\\u\\p.dll",
        L"CORECLR_PROFILER_PATH=C:\\Users\\u\\p.dll",
        L"HR_ADDED=1",
        L"__PSLockdownPolicy=0",
        L"Path=C:\\Users\\u\\bin;C:\\Windows\\system32",
        L"PSModulePath=C:\\Users\\u\\Documents\\WindowsPowerShell\\Modules",
        L"TEMP=C:\\Users\\u\\AppData\\Local\\Temp",
        L"tmp=C:\\Users\\u\\AppData\\Local\\Temp",
        L"SystemRoot=C:\\Users\\u\\fake",
        L"WINDIR=C:\\Users\\u\\fake",
        L"ComSpec=C:\\Users\\u\\cmd.exe",
        L"PATHEXT=.PS1;.EXE",
        L"NoDefaultCurrentDirectoryInExePath=1",
        L"USERPROFILE=C:\\Users\\u",
        L"APPDATA=C:\\Users\\u\\AppData\\Roaming",
        L"=C:=C:\\Users\\u",
    };
    const auto names = ByName(CommandEnvironmentEntries(source, kFolders));
    for (const wchar_t* gone : {L"COR_ENABLE_PROFILING", L"COR_PROFILER", L"COR_PROFILER_PATH", L"CORECLR_PROFILER_PATH",
                                L"HR_ADDED", L"__PSLOCKDOWNPOLICY", L"NODEFAULTCURRENTDIRECTORYINEXEPATH",
                                L"USERPROFILE", L"APPDATA", L""}) {
        EXPECT_EQ(names.count(gone), 0u) << std::string(gone, gone + std::wcslen(gone));
    }
    const std::map<std::wstring, std::wstring> expected = {
        {L"SYSTEMROOT", L"C:\\Windows"},
        {L"WINDIR", L"C:\\Windows"},
        {L"SYSTEMDRIVE", L"C:"},
        {L"COMSPEC", L"C:\\Windows\\system32\\cmd.exe"},
        {L"PATHEXT", L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
        {L"TEMP", L"C:\\Windows\\Temp"},
        {L"TMP", L"C:\\Windows\\Temp"},
        {L"PATH", L"C:\\Windows\\system32;C:\\Windows;C:\\Windows\\system32\\Wbem;"
                  L"C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\"},
        {L"PSMODULEPATH", L"C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\Modules"},
    };
    EXPECT_EQ(names, expected);
}

TEST(CommandEnvironment, TheMachinesOwnVariablesStayInAnyLetterCase) {
    const std::vector<std::wstring> source = {
        L"PROCESSOR_ARCHITECTURE=AMD64", L"processor_architew6432=AMD64", L"NUMBER_OF_PROCESSORS=2",
        L"ProgramFiles=C:\\Program Files", L"PROGRAMFILES(X86)=C:\\Program Files (x86)",
        L"ProgramData=C:\\ProgramData", L"ALLUSERSPROFILE=C:\\ProgramData", L"OS=Windows_NT",
        L"COMPUTERNAME=PC1", L"ProgramFilesX=C:\\x", L"PROCESSOR=1",
    };
    const std::vector<std::wstring> entries = CommandEnvironmentEntries(source, kFolders);
    const auto names = ByName(entries);
    EXPECT_EQ(names.at(L"PROCESSOR_ARCHITECTURE"), L"AMD64");
    EXPECT_EQ(names.at(L"PROCESSOR_ARCHITEW6432"), L"AMD64");
    EXPECT_EQ(names.at(L"PROGRAMFILES(X86)"), L"C:\\Program Files (x86)");
    EXPECT_EQ(names.at(L"COMPUTERNAME"), L"PC1");
    // A name that only begins like one of them is not one of them.
    EXPECT_EQ(names.count(L"PROGRAMFILESX"), 0u);
    EXPECT_EQ(names.count(L"PROCESSOR"), 0u);
    // Kept as the machine spells them.
    EXPECT_EQ(entries[1], L"processor_architew6432=AMD64");
    EXPECT_EQ(names.size(), 9u + 9u);
}
