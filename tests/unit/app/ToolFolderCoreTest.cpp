#include "app/ToolFolderCore.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

using namespace toolfolder;

namespace {

bool Contains(const std::wstring& s, const std::wstring& part) { return s.find(part) != std::wstring::npos; }

size_t Count(const std::wstring& s, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = s.find(part); at != std::wstring::npos; at = s.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ToolFolderPaths, FolderIsEverythingBeforeTheLastBackslash) {
    EXPECT_EQ(FolderOf(L"C:\\Users\\a\\Downloads\\tool.exe"), L"C:\\Users\\a\\Downloads");
    EXPECT_EQ(FolderOf(L"E:\\tool.exe"), L"E:");
    EXPECT_EQ(FolderOf(L"\\\\srv\\share\\tool.exe"), L"\\\\srv\\share");
    EXPECT_EQ(FolderOf(L"tool.exe"), L"");
    EXPECT_EQ(FolderOf(L"\\tool.exe"), L"");
}

TEST(ToolFolderPaths, DriveAndShareRootsAreRoots) {
    for (const wchar_t* root : {L"C:", L"c:\\", L"\\\\srv\\share", L"\\\\srv\\share\\", L"\\\\srv",
                                L"\\\\?\\C:", L"\\\\?\\C:\\", L"\\\\?\\UNC\\srv\\share",
                                L"\\\\?\\Volume{1234}", L"\\\\.\\E:", L"", L"X"}) {
        EXPECT_TRUE(IsRootFolder(root)) << std::string(root, root + std::wcslen(root));
    }
}

TEST(ToolFolderPaths, FoldersBelowARootAreNotRoots) {
    for (const wchar_t* folder : {L"C:\\Users\\a\\Downloads", L"E:\\tools", L"\\\\srv\\share\\tools",
                                  L"\\\\?\\C:\\tools", L"\\\\?\\UNC\\srv\\share\\tools"}) {
        EXPECT_FALSE(IsRootFolder(folder)) << std::string(folder, folder + std::wcslen(folder));
    }
}

TEST(ToolFolderPlan, ToolInAFolderOfItsOwnRemovesFilesThenTheEmptyFolder) {
    RemovalPlan plan;
    ASSERT_TRUE(PlanRemoval(L"C:\\Users\\a\\Desktop\\fix (1) & 100% ^!\\tool.exe", true, &plan));
    EXPECT_EQ(plan.exePath, L"C:\\Users\\a\\Desktop\\fix (1) & 100% ^!\\tool.exe");
    EXPECT_EQ(plan.libraryPath, L"C:\\Users\\a\\Desktop\\fix (1) & 100% ^!\\TessaroFeedbackInformation.dll");
    EXPECT_EQ(plan.folder, L"C:\\Users\\a\\Desktop\\fix (1) & 100% ^!");
    EXPECT_TRUE(plan.removeFolder);
}

TEST(ToolFolderPlan, ToolAtADriveRootKeepsTheRoot) {
    RemovalPlan plan;
    ASSERT_TRUE(PlanRemoval(L"E:\\tool.exe", true, &plan));
    EXPECT_EQ(plan.exePath, L"E:\\tool.exe");
    EXPECT_EQ(plan.libraryPath, L"E:\\TessaroFeedbackInformation.dll");
    EXPECT_FALSE(plan.removeFolder);

    ASSERT_TRUE(PlanRemoval(L"\\\\srv\\share\\tool.exe", false, &plan));
    EXPECT_EQ(plan.libraryPath, L"");
    EXPECT_FALSE(plan.removeFolder);
}

TEST(ToolFolderPlan, LibraryThatIsNotAPlainFileIsLeftAlone) {
    RemovalPlan plan;
    ASSERT_TRUE(PlanRemoval(L"D:\\t\\tool.exe", false, &plan));
    EXPECT_TRUE(plan.libraryPath.empty());
    EXPECT_TRUE(plan.removeFolder);
}

TEST(ToolFolderPlan, PathsUnfitForACommandGiveNoPlan) {
    RemovalPlan plan;
    EXPECT_FALSE(PlanRemoval(L"tool.exe", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"dir\\tool.exe", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"C:\\a\"b\\tool.exe", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"C:\\a*\\tool.exe", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"C:\\a\nb\\tool.exe", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"", true, &plan));
    EXPECT_FALSE(PlanRemoval(L"C:\\a\\tool.exe", true, nullptr));
}

TEST(ToolFolderCommand, PathsTravelOnlyInVariables) {
    RemovalPlan plan;
    ASSERT_TRUE(PlanRemoval(L"C:\\x %PATH% & rd ^ (a)!\\tool.exe", true, &plan));
    const std::wstring line = BuildRemovalCommandLine(L"C:\\Windows\\system32\\cmd.exe", L"C:\\Windows\\system32\\timeout.exe", plan);
    EXPECT_EQ(line.rfind(L"\"C:\\Windows\\system32\\cmd.exe\" /D /V:OFF /S /C \"", 0), 0u) << line.size();
    EXPECT_FALSE(Contains(line, L"%PATH%"));
    EXPECT_FALSE(Contains(line, L"tool.exe"));
    EXPECT_TRUE(Contains(line, L" /C \"\"C:\\Windows\\system32\\timeout.exe\" /t 3 /nobreak"));
    EXPECT_TRUE(Contains(line, L"del /f /q \"%HR_REMOVE_TOOL_EXE%\""));
    EXPECT_TRUE(Contains(line, L"del /f /q \"%HR_REMOVE_TOOL_LIBRARY%\""));
    EXPECT_TRUE(Contains(line, L"rmdir \"%HR_REMOVE_TOOL_FOLDER%\""));
    // Never recursive, never quiet about a folder that still holds files.
    EXPECT_FALSE(Contains(line, L"/s /q"));
    EXPECT_FALSE(Contains(line, L"rmdir /"));
    // The wait comes first, the folder last.
    EXPECT_LT(line.find(L"timeout"), line.find(L"del "));
    EXPECT_LT(line.find(L"%HR_REMOVE_TOOL_LIBRARY%"), line.find(L"rmdir"));
    // The whole command is one quoted argument.
    EXPECT_EQ(line.back(), L'"');

    const auto vars = RemovalVariables(plan);
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0].first, L"HR_REMOVE_TOOL_EXE");
    EXPECT_EQ(vars[0].second, plan.exePath);
    EXPECT_EQ(vars[1].second, plan.libraryPath);
    EXPECT_EQ(vars[2].second, plan.folder);
}

TEST(ToolFolderCommand, RootAndMissingLibraryLeaveTheirStepsOut) {
    RemovalPlan plan;
    ASSERT_TRUE(PlanRemoval(L"E:\\tool.exe", false, &plan));
    const std::wstring line = BuildRemovalCommandLine(L"C:\\w\\cmd.exe", L"C:\\w\\timeout.exe", plan);
    EXPECT_EQ(Count(line, L"del "), 1u);
    EXPECT_FALSE(Contains(line, L"rmdir"));
    EXPECT_FALSE(Contains(line, L"HR_REMOVE_TOOL_LIBRARY"));
    EXPECT_EQ(RemovalVariables(plan).size(), 1u);
}

TEST(ToolFolderEnvironment, AdditionsReplaceEntriesOfTheSameNameInAnyCase) {
    const std::vector<std::wstring> current = {L"=C:=C:\\work", L"Path=C:\\w", L"hr_remove_tool_exe=old",
                                               L"TEMP=C:\\t"};
    const std::vector<wchar_t> block =
        BuildEnvironmentBlock(current, {{L"HR_REMOVE_TOOL_EXE", L"C:\\x\\tool.exe"}, {L"HR_X", L"a=b"}});
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block[block.size() - 1], L'\0');
    EXPECT_EQ(block[block.size() - 2], L'\0');
    const std::vector<std::wstring> entries = SplitEnvironmentBlock(block.data());
    const std::vector<std::wstring> expected = {L"=C:=C:\\work", L"Path=C:\\w", L"TEMP=C:\\t",
                                                L"HR_REMOVE_TOOL_EXE=C:\\x\\tool.exe", L"HR_X=a=b"};
    EXPECT_EQ(entries, expected);
}

TEST(ToolFolderEnvironment, EmptyEnvironmentStillMakesAValidBlock) {
    const std::vector<wchar_t> block = BuildEnvironmentBlock({}, {});
    ASSERT_EQ(block.size(), 2u);
    EXPECT_TRUE(SplitEnvironmentBlock(block.data()).empty());
    EXPECT_TRUE(SplitEnvironmentBlock(nullptr).empty());
}
