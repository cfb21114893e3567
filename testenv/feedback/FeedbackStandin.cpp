// Stand-in for the companion feedback library "TessaroFeedbackInformation.dll":
// the eleven exports, answers taken from "TessaroFeedbackInformation.ini"
// beside it, every call appended to "TessaroFeedbackInformation.journal"
// beside it. Pages are never opened, only recorded. See README.md.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>
#include <type_traits>
#include <vector>

#include "integration/FeedbackExports.h"
#include "integration/FeedbackInfo.h"

#define EXPORT extern "C" __declspec(dllexport)

namespace {

const wchar_t kSection[] = L"Feedback";

// Full path of a file beside this library; empty when this module's own path
// cannot be had.
std::wstring BesideLibrary(const wchar_t* fileName) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&BesideLibrary), &self))
        return std::wstring();
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = GetModuleFileNameW(self, buffer.data(), size);
        if (n == 0) return std::wstring();
        if (n < size) {
            std::wstring path(buffer.data(), n);
            const size_t slash = path.rfind(L'\\');
            if (slash == std::wstring::npos) return std::wstring();
            return path.substr(0, slash + 1) + fileName;
        }
        if (size >= 32768) return std::wstring();
        buffer.resize(size * 2);
    }
}

std::wstring IniPath() { return BesideLibrary(L"TessaroFeedbackInformation.ini"); }

std::wstring IniString(const wchar_t* key, const wchar_t* fallback) {
    const std::wstring ini = IniPath();
    if (ini.empty()) return fallback;
    std::vector<wchar_t> buffer(4096, L'\0');
    GetPrivateProfileStringW(kSection, key, fallback, buffer.data(),
                             static_cast<DWORD>(buffer.size()), ini.c_str());
    return std::wstring(buffer.data());
}

// Signed, unlike GetPrivateProfileIntW: tests need negative answers.
int IniInt(const wchar_t* key, int fallback) {
    const std::wstring text = IniString(key, L"");
    if (text.empty()) return fallback;
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

// One journal field: text with backslash, tab, CR and LF escaped, so that
// every call stays one line.
std::wstring Field(const wchar_t* text) {
    if (text == nullptr) return L"(null)";
    std::wstring out;
    for (const wchar_t* p = text; *p; ++p) {
        switch (*p) {
            case L'\\': out += L"\\\\"; break;
            case L'\t': out += L"\\t"; break;
            case L'\r': out += L"\\r"; break;
            case L'\n': out += L"\\n"; break;
            default: out += *p;
        }
    }
    return out;
}

std::wstring Field(int value) { return std::to_wstring(value); }

void Journal(const std::wstring& line) {
    const std::wstring path = BesideLibrary(L"TessaroFeedbackInformation.journal");
    if (path.empty()) return;
    const std::wstring full = line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, full.c_str(), static_cast<int>(full.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, full.c_str(), static_cast<int>(full.size()), &bytes[0], n,
                        nullptr, nullptr);
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

void Journal(const wchar_t* name, const std::vector<std::wstring>& fields = {}) {
    std::wstring line = name;
    for (const std::wstring& f : fields) line += L"\t" + f;
    Journal(line);
}

// Copies `text` into a record buffer, always terminated.
void Fill(wchar_t* dest, size_t capacity, const std::wstring& text) {
    if (capacity == 0) return;
    const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(dest, n);
    dest[n] = L'\0';
}

}  // namespace

EXPORT int __cdecl InitFreedbackDll(FeedbackInfo* info) {
    if (info == nullptr) {
        Journal(L"InitFreedbackDll", {L"null"});
        return 0;
    }
    if (info->size != sizeof(FeedbackInfo) || info->capacity == 0 ||
        info->capacity > FEEDBACK_INFO_CAPACITY) {
        Journal(L"InitFreedbackDll", {L"size=" + Field(static_cast<int>(info->size)),
                                      L"capacity=" + Field(static_cast<int>(info->capacity))});
        return 0;
    }
    Journal(L"InitFreedbackDll", {L"record"});
    for (int i = 0; i < FEEDBACK_INFO_STRINGS; ++i) {
        const std::wstring key = L"Info" + std::to_wstring(i);
        Fill(info->text[i], info->capacity, IniString(key.c_str(), L""));
    }
    return IniInt(L"InitResult", 1);
}

EXPORT int __cdecl FeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion) {
    Journal(L"FeedbackQuestion", {Field(toolId), Field(toolVersion)});
    return 1;
}

EXPORT int __cdecl OpenUrl(BSTR url) {
    if (url == nullptr) {
        Journal(L"OpenUrl", {L"null"});
        return 0;
    }
    // The length prefix shows whether a real system string arrived.
    Journal(L"OpenUrl", {L"bstr=" + Field(static_cast<int>(SysStringLen(url))), Field(url)});
    SysFreeString(url);  // the string is ours now
    return 1;
}

EXPORT int __cdecl GetInterNetState(void) {
    Journal(L"GetInterNetState");
    return IniInt(L"InterNetState", 1);
}

EXPORT int __cdecl CustomerFeedback(const wchar_t* toolId, const wchar_t* toolVersion, int answer) {
    Journal(L"CustomerFeedback", {Field(toolId), Field(toolVersion), Field(answer)});
    return 1;
}

EXPORT int __cdecl CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion,
                                      int answer, const wchar_t* timeText,
                                      const wchar_t* clientText) {
    Journal(L"CustomerFeedbackEx", {Field(toolId), Field(toolVersion), Field(answer),
                                    Field(timeText), Field(clientText)});
    return 1;
}

EXPORT int __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* toolId,
                                                 const wchar_t* toolVersion) {
    Journal(L"WriteCustomerFeedbackInfoFile", {Field(toolId), Field(toolVersion)});
    return 1;
}

EXPORT int __cdecl GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion) {
    Journal(L"GetToolIsNewVersion", {Field(toolId), Field(toolVersion)});
    return IniInt(L"NewVersionResult", 0);
}

#ifndef FEEDBACK_STANDIN_WITHOUT_VERSION_DOWN
EXPORT int __cdecl GetToolIsNewVersionDown(const wchar_t* toolId, const wchar_t* toolVersion) {
    Journal(L"GetToolIsNewVersionDown", {Field(toolId), Field(toolVersion)});
    return IniInt(L"NewVersionDownResult", 0);
}
#endif

EXPORT int __cdecl OpenToolDownUrl(void) {
    Journal(L"OpenToolDownUrl");
    return 1;
}

EXPORT int __cdecl OpenUseAgreementUrl(void) {
    Journal(L"OpenUseAgreementUrl");
    return 1;
}

// The exports must match the types the tool calls them through.
static_assert(std::is_same<decltype(&InitFreedbackDll), PFN_InitFreedbackDll>::value, "");
static_assert(std::is_same<decltype(&FeedbackQuestion), PFN_FeedbackQuestion>::value, "");
static_assert(std::is_same<decltype(&OpenUrl), PFN_OpenUrl>::value, "");
static_assert(std::is_same<decltype(&GetInterNetState), PFN_GetInterNetState>::value, "");
static_assert(std::is_same<decltype(&CustomerFeedback), PFN_CustomerFeedback>::value, "");
static_assert(std::is_same<decltype(&CustomerFeedbackEx), PFN_CustomerFeedbackEx>::value, "");
static_assert(std::is_same<decltype(&WriteCustomerFeedbackInfoFile),
                           PFN_WriteCustomerFeedbackInfoFile>::value, "");
static_assert(std::is_same<decltype(&GetToolIsNewVersion), PFN_GetToolIsNewVersion>::value, "");
#ifndef FEEDBACK_STANDIN_WITHOUT_VERSION_DOWN
static_assert(std::is_same<decltype(&GetToolIsNewVersionDown),
                           PFN_GetToolIsNewVersionDown>::value, "");
#endif
static_assert(std::is_same<decltype(&OpenToolDownUrl), PFN_OpenToolDownUrl>::value, "");
static_assert(std::is_same<decltype(&OpenUseAgreementUrl), PFN_OpenUseAgreementUrl>::value, "");
