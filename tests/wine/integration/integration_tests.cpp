// The companion-library binding against the stand-in library, and the
// device-information path on real files written by the writer.
//
// Loading is decided by where the executable lies, so the binding's cases
// copy this program into a fresh folder (with or without the library) and
// run the copy in probe mode: "--probe <mode>"; its exit code is the answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "StackBalance.h"
#include "WineTestUtil.h"
#include "integration/DeviceInfoCipher.h"
#include "integration/FeedbackDll.h"
#include "integration/LauncherClientWin.h"

namespace {

const int kLoadFailed = 77;

// ---- probe mode: what the tool does, in a copy of this program ----

int Probe(const char* mode) {
    CFeedbackDll dll;
    if (std::strcmp(mode, "search") == 0)  // can the search path reach a copy?
        return LoadLibraryW(FEEDBACK_DLL_NAME) != nullptr ? 1 : 0;
    const int loaded = dll.Load();
    if (std::strcmp(mode, "load") == 0) {
        if (!loaded) return 0;
        const bool all = dll.InitFreedbackDll && dll.FeedbackQuestion && dll.OpenUrl &&
                         dll.GetInterNetState && dll.CustomerFeedback && dll.CustomerFeedbackEx &&
                         dll.WriteCustomerFeedbackInfoFile && dll.GetToolIsNewVersion &&
                         dll.GetToolIsNewVersionDown && dll.OpenToolDownUrl &&
                         dll.OpenUseAgreementUrl;
        return all ? 1 : 3;
    }
    if (!loaded) return kLoadFailed;
    static FeedbackInfo info;
    if (std::strcmp(mode, "init") == 0) return dll.CallInitFreedbackDll(&info);
    if (std::strcmp(mode, "version") == 0) {
        dll.CallInitFreedbackDll(&info);
        return dll.CallGetToolIsNewVersion(kFeedbackToolId, kFeedbackToolVersion);
    }
    if (std::strcmp(mode, "calls") == 0) {
        // Every call the tool makes, each checked for leaving the stack as
        // it found it; the first unbalanced one answers 10 + its place.
        typedef void (*Call)(void*);
        const Call calls[] = {
            [](void* d) { static_cast<CFeedbackDll*>(d)->CallInitFreedbackDll(&info); },
            [](void* d) {
                static_cast<CFeedbackDll*>(d)->CallGetToolIsNewVersion(kFeedbackToolId, kFeedbackToolVersion);
            },
            [](void* d) { static_cast<CFeedbackDll*>(d)->CallOpenToolDownUrl(); },
            [](void* d) { static_cast<CFeedbackDll*>(d)->CallOpenUseAgreementUrl(); },
            [](void* d) {
                static_cast<CFeedbackDll*>(d)->CallFeedbackQuestion(kFeedbackToolId, kFeedbackToolVersion);
            },
            [](void* d) {
                static_cast<CFeedbackDll*>(d)->CallOpenUrl(info.text[FEEDBACK_INFO_MORE_TOOLS]);
            },
            [](void* d) {
                static_cast<CFeedbackDll*>(d)->CallCustomerFeedbackEx(kFeedbackToolId, kFeedbackToolVersion, 2,
                                                                      L"1700000000", L"3");
            },
        };
        for (size_t i = 0; i < sizeof(calls) / sizeof(calls[0]); ++i)
            if (!RunBalanced(calls[i], &dll)) return 10 + static_cast<int>(i);
        dll.Unload();
        return 1;
    }
    if (std::strcmp(mode, "unload") == 0) {
        const std::wstring path = CFeedbackDll::LibraryPath();
        dll.Unload();
        if (dll.m_hModule || dll.InitFreedbackDll || dll.OpenUseAgreementUrl) return 2;
        // Calls after unloading answer 0 instead of jumping into freed code.
        if (dll.CallGetToolIsNewVersion(kFeedbackToolId, kFeedbackToolVersion) != 0) return 3;
        return GetModuleHandleW(path.c_str()) == nullptr ? 1 : 0;
    }
    return 99;
}

// ---- helpers ----

std::wstring SelfPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), n);
}

std::wstring StandinDll() { return wtest::TestEnvBin() + L"\\" FEEDBACK_DLL_NAME; }
std::wstring NoVersionDownDll() {
    return wtest::TestEnvBin() + L"\\noversiondown\\" FEEDBACK_DLL_NAME;
}
std::wstring Writer() { return wtest::TestEnvBin() + L"\\WriteDeviceInfo.exe"; }

using wtest::RemoveTree;

// A fresh folder of its own for one test, removed afterwards.
class Sandbox {
public:
    Sandbox() {
        static int serial = 0;
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        dir_ = std::wstring(base) + L"hr-integration-" + std::to_wstring(GetCurrentProcessId()) +
               L"-" + std::to_wstring(++serial);
        RemoveTree(dir_);
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    ~Sandbox() { RemoveTree(dir_); }
    const std::wstring& Dir() const { return dir_; }
    std::wstring operator/(const std::wstring& name) const { return dir_ + L"\\" + name; }

private:
    std::wstring dir_;
};

bool Copy(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

// Runs a program and returns its exit code (as a signed number), or -9999
// when it could not be started or did not end in time.
int RunProgram(const std::wstring& exe, const std::wstring& args, const wchar_t* cwd = nullptr) {
    std::wstring line = L"\"" + exe + L"\" " + args;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si;
    std::memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd, &si,
                        &pi))
        return -9999;
    DWORD code = 0;
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended ? static_cast<int>(code) : -9999;
}

// A copy of this program in `box`, optionally with a library beside it.
std::wstring PlaceTool(const Sandbox& box, const std::wstring& library = std::wstring()) {
    const std::wstring exe = box / L"tool.exe";
    EXPECT_TRUE(Copy(SelfPath(), exe));
    if (!library.empty()) {
        EXPECT_TRUE(Copy(library, box / FEEDBACK_DLL_NAME));
    }
    return exe;
}

// The stand-in reads UTF-16 (with byte-order mark) ini files.
void WriteIni(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xff\xfe";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    ASSERT_TRUE(wtest::WriteAnsiFile(path, bytes));
}

std::vector<std::wstring> JournalLines(const Sandbox& box) {
    std::string bytes;
    HANDLE h = CreateFileW((box / L"TessaroFeedbackInformation.journal").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
        CloseHandle(h);
    }
    std::wstring text(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), &text[0],
                                      static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find(L'\n', start)) != std::wstring::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    EXPECT_EQ(start, text.size()) << "every journal line ends in a line feed";
    return lines;
}

}  // namespace

// ---- loading ----

TEST(FeedbackLoad, FindsAllElevenExportsBesideTheExecutable) {
    Sandbox box;
    EXPECT_EQ(RunProgram(PlaceTool(box, StandinDll()), L"--probe load"), 1);
}

TEST(FeedbackLoad, FailsWithoutTheLibrary) {
    Sandbox box;
    const std::wstring exe = PlaceTool(box);
    EXPECT_EQ(RunProgram(exe, L"--probe load"), 0);
    EXPECT_EQ(RunProgram(exe, L"--probe init"), kLoadFailed);
}

TEST(FeedbackLoad, FailsWhenOnlyGetToolIsNewVersionDownIsMissing) {
    Sandbox box;
    EXPECT_EQ(RunProgram(PlaceTool(box, NoVersionDownDll()), L"--probe load"), 0);
}

TEST(FeedbackLoad, IgnoresACopyOnTheSearchPath) {
    Sandbox toolBox, libraryBox;
    const std::wstring exe = PlaceTool(toolBox);
    ASSERT_TRUE(Copy(StandinDll(), libraryBox / FEEDBACK_DLL_NAME));

    // The copy is reachable through both the current folder and PATH ...
    std::vector<wchar_t> oldPath(32768, L'\0');
    GetEnvironmentVariableW(L"PATH", oldPath.data(), static_cast<DWORD>(oldPath.size()));
    SetEnvironmentVariableW(L"PATH", (libraryBox.Dir() + L";" + oldPath.data()).c_str());
    const int searched = RunProgram(exe, L"--probe search", libraryBox.Dir().c_str());
    const int loaded = RunProgram(exe, L"--probe load", libraryBox.Dir().c_str());
    SetEnvironmentVariableW(L"PATH", oldPath.data());

    EXPECT_EQ(searched, 1) << "the copy must be reachable for this case to mean anything";
    // ... but the tool only looks beside itself.
    EXPECT_EQ(loaded, 0);
}

TEST(FeedbackLoad, UnloadReleasesTheLibraryAndForgetsTheExports) {
    Sandbox box;
    EXPECT_EQ(RunProgram(PlaceTool(box, StandinDll()), L"--probe unload"), 1);
}

TEST(FeedbackLoad, LibraryPathIsNeverCutShort) {
    // A path that does not fit the first buffer is fetched again in full,
    // never cut at some backslash of a parent folder.
    const std::wstring self = SelfPath();
    const std::wstring expected =
        self.substr(0, self.rfind(L'\\')) + L"\\" FEEDBACK_DLL_NAME;
    EXPECT_EQ(CFeedbackDll::LibraryPath(), expected);
    for (unsigned first : {1u, 8u, static_cast<unsigned>(self.size())})
        EXPECT_EQ(CFeedbackDll::LibraryPath(first), expected) << "first buffer " << first;
}

// ---- calls ----

TEST(FeedbackCalls, EveryCallReachesTheLibraryWithItsArguments) {
    Sandbox box;
    const std::wstring exe = PlaceTool(box, StandinDll());
    const std::wstring url = L"https://tools.example/更多工具?from=10151&k=a\\b";
    WriteIni(box / L"TessaroFeedbackInformation.ini",
             L"[Feedback]\r\nInfo0=zero\r\nInfo3=" + url + L"\r\nNewVersionResult=3\r\n");

    ASSERT_EQ(RunProgram(exe, L"--probe calls"), 1);
    const std::vector<std::wstring> expected = {
        L"InitFreedbackDll\trecord",
        L"GetToolIsNewVersion\t10151\t1.2.24.1010",
        L"OpenToolDownUrl",
        L"OpenUseAgreementUrl",
        L"FeedbackQuestion\t10151\t1.2.24.1010",
        L"OpenUrl\tbstr=" + std::to_wstring(url.size()) +
            L"\thttps://tools.example/更多工具?from=10151&k=a\\\\b",
        L"CustomerFeedbackEx\t10151\t1.2.24.1010\t2\t1700000000\t3",
    };
    EXPECT_EQ(JournalLines(box), expected);
}

TEST(FeedbackCalls, EmptyFourthStringGivesAnEmptySystemString) {
    Sandbox box;
    const std::wstring exe = PlaceTool(box, StandinDll());
    WriteIni(box / L"TessaroFeedbackInformation.ini", L"[Feedback]\r\nInfo2=not this one\r\n");
    ASSERT_EQ(RunProgram(exe, L"--probe calls"), 1);
    const std::vector<std::wstring> lines = JournalLines(box);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], L"OpenUrl\tbstr=0\t");
}

TEST(FeedbackCalls, ResultsComeBackUnchanged) {
    Sandbox box;
    const std::wstring exe = PlaceTool(box, StandinDll());
    const std::wstring ini = box / L"TessaroFeedbackInformation.ini";
    EXPECT_EQ(RunProgram(exe, L"--probe init"), 1) << "default answer";
    WriteIni(ini, L"[Feedback]\r\nInitResult=0\r\n");
    EXPECT_EQ(RunProgram(exe, L"--probe init"), 0);
    for (int answer : {3, 0, 4, -2}) {
        WriteIni(ini, L"[Feedback]\r\nNewVersionResult=" + std::to_wstring(answer) + L"\r\n");
        EXPECT_EQ(RunProgram(exe, L"--probe version"), answer);
    }
}

// ---- device information on real files ----

TEST(DeviceInfoFile, WriterOutputReadsBackAndDeciphers) {
    Sandbox box;
    const std::wstring ini = box / L"DeviceInfo.ini";
    ASSERT_EQ(RunProgram(Writer(), L"\"" + ini + L"\" 2"), 0);

    std::wstring value;
    ASSERT_EQ(ReadIniValue(L"DeviceType", L"Type", ini, value), 1);
    EXPECT_EQ(value.size(), 24u);

    CAes aes;
    std::vector<char> out(kDeviceInfoOutputCapacity, 0);
    EXPECT_EQ(DecryptDeviceInfo(aes, WideToAnsi(value).c_str(), out.data(),
                                kDeviceInfoOutputCapacity, kDeviceInfoKeyText),
              1);
    EXPECT_STREQ(out.data(), "2");
    EXPECT_EQ(ReadLauncherClientKind(ini, SystemLauncherScanHooks(), aes), 2);
}

TEST(DeviceInfoFile, ReadIniValueLeavesOutputAloneWhenNothingIsRead) {
    Sandbox box;
    const std::wstring ini = box / L"DeviceInfo.ini";
    std::wstring value = L"kept";
    EXPECT_EQ(ReadIniValue(L"DeviceType", L"Type", ini, value), 0) << "no file";
    EXPECT_EQ(value, L"kept");

    ASSERT_TRUE(wtest::WriteAnsiFile(ini, "[DeviceType]\r\nType=\r\nOther=x\r\n[Else]\r\nType=y\r\n"));
    EXPECT_EQ(ReadIniValue(L"DeviceType", L"Type", ini, value), 0) << "empty value";
    EXPECT_EQ(ReadIniValue(L"DeviceType", L"Missing", ini, value), 0) << "no key";
    EXPECT_EQ(ReadIniValue(L"Missing", L"Type", ini, value), 0) << "no section";
    EXPECT_EQ(value, L"kept");

    // At most 255 characters are offered to the reader.
    ASSERT_TRUE(wtest::WriteAnsiFile(ini, "[DeviceType]\r\nType=" + std::string(300, 'A') + "\r\n"));
    EXPECT_EQ(ReadIniValue(L"DeviceType", L"Type", ini, value), 1);
    EXPECT_EQ(value, std::wstring(254, L'A'));
}

TEST(DeviceInfoFile, ScanOverFolderRootsFollowsTheProbeOrder) {
    Sandbox first, second, third;
    const std::wstring a = first.Dir() + L"\\", b = second.Dir() + L"\\", c = third.Dir() + L"\\";
    // (Roots go to the writer without their backslash: "X:\" would escape the quote.)
    // First root: Corvath program without its file, complete Kestra folder.
    ASSERT_EQ(RunProgram(Writer(), L"--client kestra \"" + first.Dir() + L"\" 1"), 0);
    CreateDirectoryW((a + L"CV").c_str(), nullptr);
    CreateDirectoryW((a + L"CV\\Corvath").c_str(), nullptr);
    ASSERT_TRUE(wtest::WriteAnsiFile(a + L"CV\\Corvath\\CorvathClient.exe", "x"));
    // Second root: Corvath whose file says 2.
    ASSERT_EQ(RunProgram(Writer(), L"--client corvath \"" + second.Dir() + L"\" 2"), 0);
    // Third root: Kestra with leading digits and key stream after them.
    ASSERT_EQ(RunProgram(Writer(), L"\"" + c + L"Kestra\\KestraKey\\DeviceInfo.ini\" 12abc"), 0);
    ASSERT_TRUE(wtest::WriteAnsiFile(c + L"Kestra\\KestraKey\\KestraClient.exe", "x"));

    CAes aes;
    EXPECT_EQ(ScanLauncherClient(std::vector<std::wstring>{}, aes), 0);
    EXPECT_EQ(ScanLauncherClient({a}, aes), 0);
    EXPECT_EQ(ScanLauncherClient({a, b}, aes), 2);
    EXPECT_EQ(ScanLauncherClient({c, b}, aes), 12);
    DeleteFileW((a + L"CV\\Corvath\\CorvathClient.exe").c_str());
    EXPECT_EQ(ScanLauncherClient({a, b}, aes), 1);
}

TEST(DeviceInfoFile, AnsiConversionDropsTextTheCodePageCannotCarry) {
    EXPECT_EQ(WideToAnsi(L"QUJD+/=="), "QUJD+/==");
    EXPECT_EQ(WideToAnsi(L"中文"), "\xd6\xd0\xce\xc4") << "the test prefix runs code page 936";
    EXPECT_EQ(WideToAnsi(L"abc\u0e01"), "");
    EXPECT_EQ(MultiByteToWide("12ab"), L"12ab");
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--probe") == 0) return Probe(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
