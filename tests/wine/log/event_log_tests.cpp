// The event-log record as Windows programs see it: the source's registration
// in the 64-bit registry view, the records handed to ReportEventW (their
// trace is read by event-log-test.sh), and the message table the tool's own
// executable carries for Event Viewer.
#include <gtest/gtest.h>

#include "WineTestUtil.h"
#include "log/EventLog.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kToolName[] = L"RemedoTessaroModernHubrelayServiceUninstalled.exe";

// The built tool of the same tree: tests/wine/log/ -> src/app/.
std::wstring ToolPath() { return wtest::ModuleDir() + L"\\..\\..\\..\\src\\app\\" + kToolName; }

std::wstring OwnPath() {
    std::vector<wchar_t> buf(32768);
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    return std::wstring(buf.data(), n);
}

void DeleteSourceKey() {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, hrlog::EventSourceKeyPath().c_str(), KEY_WOW64_64KEY, 0);
}

struct RegValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::wstring Text() const {
        std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        return s.substr(0, s.find(L'\0'));
    }
    DWORD Dword() const {
        DWORD v = 0;
        if (data.size() == sizeof(v)) std::memcpy(&v, data.data(), sizeof(v));
        return v;
    }
};

// A value of the source's key as the 64-bit registry view has it, read
// without the module's own helpers.
RegValue ReadSourceValue(const wchar_t* name) {
    RegValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, hrlog::EventSourceKeyPath().c_str(), 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return v;
    }
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.resize(size);
        v.found = RegQueryValueExW(key, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
        v.data.resize(size);
    }
    RegCloseKey(key);
    return v;
}

void WriteSourceValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, hrlog::EventSourceKeyPath().c_str(), 0,
                                             nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                                             nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

void ExpectRegisteredTo(const std::wstring& exe) {
    const RegValue file = ReadSourceValue(L"EventMessageFile");
    ASSERT_TRUE(file.found);
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), file.type);
    EXPECT_EQ(exe, file.Text());
    EXPECT_EQ((exe.size() + 1) * sizeof(wchar_t), file.data.size()) << "one terminating zero, nothing cut";
    const RegValue types = ReadSourceValue(L"TypesSupported");
    ASSERT_TRUE(types.found);
    EXPECT_EQ(DWORD(REG_DWORD), types.type);
    EXPECT_EQ(7u, types.Dword());
}

// Each case starts without the key and leaves none behind, as a machine
// that never ran the tool.
class EventSource : public ::testing::Test {
protected:
    void SetUp() override { DeleteSourceKey(); }
    void TearDown() override { DeleteSourceKey(); }
};

TEST_F(EventSource, FirstReportRegistersThisProgramInThe64BitView) {
    ASSERT_FALSE(ReadSourceValue(L"EventMessageFile").found);
    EXPECT_TRUE(hrlog::ReportRunEvent(EVENTLOG_INFORMATION_TYPE, 1000, L"hr-event-probe registration"));
    const std::wstring own = OwnPath();
    ASSERT_GT(own.size(), std::wstring(L"\\event_log_tests.exe").size());
    EXPECT_EQ(L"\\event_log_tests.exe", own.substr(own.size() - 20));
    EXPECT_TRUE(wtest::FileExists(own));
    ExpectRegisteredTo(own);
}

TEST_F(EventSource, StaleOrForeignValuesAreWrittenAgain) {
    // Another folder's copy of the tool, since deleted.
    const std::wstring old = L"C:\\Users\\Public\\Downloads\\Hubrelay\\HR.exe";
    const DWORD seven = 7;
    WriteSourceValue(L"EventMessageFile", REG_EXPAND_SZ, old.c_str(), DWORD((old.size() + 1) * 2));
    WriteSourceValue(L"TypesSupported", REG_DWORD, &seven, sizeof(seven));
    EXPECT_TRUE(hrlog::EnsureEventSourceRegistered());
    ExpectRegisteredTo(OwnPath());

    // The right path, but as a plain string, and types that are not ours.
    const std::wstring own = OwnPath();
    const DWORD four = 4;
    WriteSourceValue(L"EventMessageFile", REG_SZ, own.c_str(), DWORD((own.size() + 1) * 2));
    WriteSourceValue(L"TypesSupported", REG_DWORD, &four, sizeof(four));
    EXPECT_TRUE(hrlog::EnsureEventSourceRegistered());
    ExpectRegisteredTo(own);
}

// The path is read whole however small the first buffer is (a path longer
// than MAX_PATH grows it the same way).
TEST(ExecutablePath, BufferGrowsUntilThePathFits) {
    const std::wstring own = OwnPath();
    for (std::size_t first : {std::size_t(1), std::size_t(16), own.size(), own.size() + 1, std::size_t(MAX_PATH)}) {
        SCOPED_TRACE(first);
        std::wstring path;
        ASSERT_TRUE(hrlog::ExecutablePath(&path, first));
        EXPECT_EQ(own, path);
    }
}

// The records event-log-test.sh expects in Wine's trace, in this order and
// with these texts (line breaks reach the log as CR LF).
TEST_F(EventSource, EachLevelIsReported) {
    EXPECT_TRUE(hrlog::ReportRunEvent(EVENTLOG_INFORMATION_TYPE, 1000,
                                      L"hr-event-probe record information\nRESULT=0 removed\nversion 1.2.24.1010"));
    EXPECT_TRUE(hrlog::ReportRunEvent(EVENTLOG_WARNING_TYPE, 1001,
                                      L"hr-event-probe record warning\r\nRESULT=3010 removed-after-restart"));
    EXPECT_TRUE(hrlog::ReportRunEvent(EVENTLOG_ERROR_TYPE, 1003,
                                      L"hr-event-probe record error\nRESULT=1603 failed\ndelete: sc exit 1072"));
    EXPECT_TRUE(hrlog::ReportRunOutcome(L"busy", L"hr-event-probe record busy"));
    EXPECT_TRUE(hrlog::ReportRunOutcome(L"no-such-word", L"hr-event-probe record unknown word"));
    ExpectRegisteredTo(OwnPath());
}

class ToolMessages : public ::testing::Test {
protected:
    void SetUp() override {
        m_tool = LoadLibraryExW(ToolPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_tool) << "cannot load the tool as data: " << GetLastError();
    }
    void TearDown() override {
        if (m_tool) FreeLibrary(m_tool);
    }
    // The message as Event Viewer builds it: the record's one string as %1.
    bool Format(DWORD id, DWORD lang, const wchar_t* insert, std::wstring* out) {
        DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(insert)};
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY, m_tool,
            id, lang, reinterpret_cast<wchar_t*>(&text), 0, reinterpret_cast<va_list*>(args));
        if (n == 0 || !text) return false;
        out->assign(text, n);
        LocalFree(text);
        return true;
    }
    HMODULE m_tool = nullptr;
};

TEST_F(ToolMessages, EveryOutcomeHasASentenceFollowedByTheRunsText) {
    const std::wstring insert = L"RESULT=0 removed\r\nversion 1.2.24.1010\r\ndelete: sc exit 0";
    std::size_t count = 0;
    const hrlog::RunEventRow* rows = hrlog::RunEventTable(&count);
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(rows[i].event.id);
        std::wstring text;
        ASSERT_TRUE(Format(rows[i].event.id, 0, insert.c_str(), &text)) << GetLastError();
        const std::wstring tail = L".\r\n\r\n" + insert;
        ASSERT_GT(text.size(), tail.size() + 10);
        EXPECT_EQ(tail, text.substr(text.size() - tail.size())) << "sentence, empty line, the run's text";
        const std::wstring sentence = text.substr(0, text.size() - tail.size() + 1);
        EXPECT_EQ(std::wstring::npos, sentence.find_first_of(L"\r\n%"));
        for (wchar_t c : sentence) EXPECT_LT(c, 0x80) << "English, ASCII";
    }
}

TEST_F(ToolMessages, TextsNameTheirOutcome) {
    std::wstring text;
    ASSERT_TRUE(Format(1000, 0, L"x", &text));
    EXPECT_EQ(L"The Tessaro Veride Hubrelay service was removed.\r\n\r\nx", text);
    ASSERT_TRUE(Format(1003, 0, L"RESULT=1603 failed", &text));
    EXPECT_EQ(L"The removal of the Tessaro Veride Hubrelay service failed.\r\n\r\nRESULT=1603 failed", text);
    ASSERT_TRUE(Format(1001, 0, L"x", &text));
    EXPECT_NE(std::wstring::npos, text.find(L"next restart"));
    ASSERT_TRUE(Format(1008, 0, L"x", &text));
    EXPECT_NE(std::wstring::npos, text.find(L"not trusted"));
    // Found in US English, the language every system falls back to.
    ASSERT_TRUE(Format(1011, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"x", &text));
    EXPECT_NE(std::wstring::npos, text.find(L"changed nothing"));
}

TEST_F(ToolMessages, NoIdOutsideTheTable) {
    std::wstring text;
    for (DWORD id : {0u, 999u, 1012u, 0xC00003EBu}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(Format(id, 0, L"x", &text)) << std::string(text.begin(), text.end());
    }
}

}  // namespace
