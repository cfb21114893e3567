#include "integration/FeedbackDll.h"

#include <vector>

#include "framework/StartupTrace.h"
#include "log/EventLog.h"

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

std::wstring CFeedbackDll::ExecutablePath(unsigned firstBuffer) {
    // A cut-off executable path would name some other folder, and an elevated
    // tool must not load a library from there: the whole path, or nothing.
    std::wstring path;
    return hrlog::ExecutablePath(&path, firstBuffer > 0 ? firstBuffer : 1) ? path : std::wstring();
}

std::wstring CFeedbackDll::LibraryPath(unsigned firstBuffer) {
    std::wstring path = ExecutablePath(firstBuffer);
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    path.resize(slash);
    return path + L"\\" FEEDBACK_DLL_NAME;
}

int CFeedbackDll::Load() {
    Unload();
    m_trust = TrustCheck();
    m_bChecked = false;
    m_bRefused = false;
    const std::wstring path = LibraryPath();
    if (path.empty()) return 0;
    // Held from before the check until the library is loaded, sharing
    // neither writing nor deletion: the bytes checked are the bytes loaded.
    // A link in the library's place is opened itself, not followed, and
    // then holds no signature.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    m_trust = CheckLibraryTrust(file, path, ExecutablePath());
    m_bChecked = true;
    hr::trace::Mark("library checked");
    if (!MayLoad(m_trust.verdict)) {
        CloseHandle(file);
        m_bRefused = true;
        return 0;
    }
    // The full path keeps the search path out; the library's own imports
    // come from its folder and the system folder only. Without the loader
    // update that brought the search flags (an unpatched Windows 7), the
    // altered search order is the nearest.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const bool searchFlags = kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
    m_hModule = LoadLibraryExW(path.c_str(), nullptr,
                               searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                           : LOAD_WITH_ALTERED_SEARCH_PATH);
    CloseHandle(file);
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
