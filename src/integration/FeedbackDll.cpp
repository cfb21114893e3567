#include "integration/FeedbackDll.h"

#include <vector>

#include "framework/StartupTrace.h"

const wchar_t kFeedbackToolId[] = L"10151";
const wchar_t kFeedbackToolVersion[] = L"1.2.24.1010";

namespace {

// Resolves one export into `slot`; false when it is missing.
template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& slot) {
    FARPROC proc = GetProcAddress(module, name);
    if (proc == nullptr) return false;
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
    return true;
}

}  // namespace

CFeedbackDll::CFeedbackDll() : m_hModule(nullptr) { ClearExports(); }

void CFeedbackDll::ClearExports() {
    InitFreedbackDll = nullptr;
    FeedbackQuestion = nullptr;
    OpenUrl = nullptr;
    GetInterNetState = nullptr;
    CustomerFeedback = nullptr;
    CustomerFeedbackEx = nullptr;
    WriteCustomerFeedbackInfoFile = nullptr;
    GetToolIsNewVersion = nullptr;
    GetToolIsNewVersionDown = nullptr;
    OpenToolDownUrl = nullptr;
    OpenUseAgreementUrl = nullptr;
}

std::wstring CFeedbackDll::LibraryPath(unsigned firstBuffer) {
    // A cut-off executable path would name some other folder, and an elevated
    // tool must not load a library from there: grow the buffer until the path
    // fits, and give up rather than guess.
    std::vector<wchar_t> buffer(firstBuffer > 0 ? firstBuffer : 1);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) return std::wstring();
        if (n < size) {
            std::wstring path(buffer.data(), n);
            const size_t slash = path.rfind(L'\\');
            if (slash == std::wstring::npos) return std::wstring();
            path.resize(slash);
            return path + L"\\" FEEDBACK_DLL_NAME;
        }
        if (size >= 32768) return std::wstring();
        buffer.resize(size * 2);
    }
}

int CFeedbackDll::Load() {
    Unload();
    const std::wstring path = LibraryPath();
    if (path.empty()) return 0;
    // The full path keeps the search path out; the altered search order makes
    // the library's own dependencies resolve from its folder and the system,
    // not from the current directory.
    m_hModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    hr::trace::Mark("library loaded");
    if (m_hModule == nullptr) return 0;

    if (!Resolve(m_hModule, "InitFreedbackDll", InitFreedbackDll)) return 0;
    if (!Resolve(m_hModule, "FeedbackQuestion", FeedbackQuestion)) return 0;
    if (!Resolve(m_hModule, "OpenUrl", OpenUrl)) return 0;
    if (!Resolve(m_hModule, "GetInterNetState", GetInterNetState)) return 0;
    if (!Resolve(m_hModule, "CustomerFeedback", CustomerFeedback)) return 0;
    if (!Resolve(m_hModule, "CustomerFeedbackEx", CustomerFeedbackEx)) return 0;
    if (!Resolve(m_hModule, "WriteCustomerFeedbackInfoFile", WriteCustomerFeedbackInfoFile))
        return 0;
    if (!Resolve(m_hModule, "GetToolIsNewVersion", GetToolIsNewVersion)) return 0;
    if (!Resolve(m_hModule, "GetToolIsNewVersionDown", GetToolIsNewVersionDown)) return 0;
    if (!Resolve(m_hModule, "OpenToolDownUrl", OpenToolDownUrl)) return 0;
    if (!Resolve(m_hModule, "OpenUseAgreementUrl", OpenUseAgreementUrl)) return 0;
    return 1;
}

void CFeedbackDll::Unload() {
    if (m_hModule != nullptr) FreeLibrary(m_hModule);
    m_hModule = nullptr;
    ClearExports();
}

int CFeedbackDll::CallInitFreedbackDll(FeedbackInfo* info) {
    const int result = InitFreedbackDll ? InitFreedbackDll(info) : 0;
    hr::trace::Mark("library initialised");
    return result;
}

int CFeedbackDll::CallGetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion) {
    return GetToolIsNewVersion ? GetToolIsNewVersion(toolId, toolVersion) : 0;
}

int CFeedbackDll::CallOpenToolDownUrl() { return OpenToolDownUrl ? OpenToolDownUrl() : 0; }

int CFeedbackDll::CallOpenUseAgreementUrl() {
    return OpenUseAgreementUrl ? OpenUseAgreementUrl() : 0;
}

int CFeedbackDll::CallFeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion) {
    return FeedbackQuestion ? FeedbackQuestion(toolId, toolVersion) : 0;
}

int CFeedbackDll::CallOpenUrl(const CString& url) {
    if (!OpenUrl) return 0;
    // Not freed here: the library receives the string as its own.
    BSTR copy = SysAllocStringLen(url.GetString(), static_cast<UINT>(url.GetLength()));
    return OpenUrl(copy);
}

int CFeedbackDll::CallCustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion,
                                         int answer, const wchar_t* timeText,
                                         const wchar_t* clientText) {
    return CustomerFeedbackEx ? CustomerFeedbackEx(toolId, toolVersion, answer, timeText, clientText)
                              : 0;
}
