// Stand-in for the companion feedback library "TessaroFeedbackInformation.dll":
// the eleven exports, answers taken from "TessaroFeedbackInformation.ini"
// beside it, every call appended to "TessaroFeedbackInformation.journal"
// beside it. Pages are never opened, only recorded. It fills the information
// record the way a library built with the dialog framework does, and builds
// against nothing of the tool's. See README.md.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "LibraryString.h"
#include "ResourceSampler.h"

#define EXPORT extern "C" __declspec(dllexport)

namespace {

const wchar_t kSection[] = L"Feedback";

HMODULE g_self = nullptr;

// Full path of a file beside this library; empty when this module's own path
// cannot be had.
std::wstring BesideLibrary(const wchar_t* fileName) {
    HMODULE self = g_self;
    if (self == nullptr) return std::wstring();
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

// ---- the information record ----

// The library's own manager, for the strings it makes itself: the process
// heap and an empty block of its own. Record strings never share its blocks.
struct OwnMgr {
    fw::Mgr base;
    struct {
        fw::Data header;
        wchar_t text[2];
    } nil;
};
OwnMgr* Own(fw::Mgr* mgr) { return reinterpret_cast<OwnMgr*>(mgr); }

fw::Data* FW_THISCALL OwnAllocate(fw::Mgr* self, int chars, int charSize) {
    if (chars < 0 || charSize != sizeof(wchar_t)) return nullptr;
    auto* d = static_cast<fw::Data*>(
        HeapAlloc(GetProcessHeap(), 0, sizeof(fw::Data) + (chars + 1) * sizeof(wchar_t)));
    if (d == nullptr) return nullptr;
    d->mgr = self;
    d->dataLength = 0;
    d->allocLength = chars;
    d->refs = 1;
    d->text()[0] = L'\0';
    return d;
}
void FW_THISCALL OwnFree(fw::Mgr* self, fw::Data* d) {
    if (d != &Own(self)->nil.header) HeapFree(GetProcessHeap(), 0, d);
}
fw::Data* FW_THISCALL OwnReallocate(fw::Mgr* self, fw::Data* d, int chars, int charSize) {
    if (chars < 0 || charSize != sizeof(wchar_t) || d == &Own(self)->nil.header) return nullptr;
    auto* moved = static_cast<fw::Data*>(
        HeapReAlloc(GetProcessHeap(), 0, d, sizeof(fw::Data) + (chars + 1) * sizeof(wchar_t)));
    if (moved != nullptr) moved->allocLength = chars;
    return moved;
}
fw::Data* FW_THISCALL OwnGetNilString(fw::Mgr* self) {
    InterlockedIncrement(&Own(self)->nil.header.refs);
    return &Own(self)->nil.header;
}
fw::Mgr* FW_THISCALL OwnClone(fw::Mgr* self) { return self; }

const fw::MgrTable kOwnTable = {OwnAllocate, OwnFree, OwnReallocate, OwnGetNilString, OwnClone};
OwnMgr g_own = {{&kOwnTable}, {{&g_own.base, 0, 0, 2}, {0, 0}}};

const int kRecordStrings = 6;

// What the thorough mode keeps of each string until it is unloaded, and the
// string its journal lines are about.
wchar_t* g_kept[kRecordStrings] = {};
int g_current = -1;

std::wstring Address(const void* p) {
    wchar_t text[32];
    std::swprintf(text, 32, L"0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return text;
}

// Journals what happens to the record's blocks; the library's own blocks
// are its own business.
void JournalBlock(const char* what, fw::Data* block, fw::Data* from) {
    if (block->mgr == &g_own.base) return;
    std::vector<std::wstring> fields = {std::wstring(what, what + std::strlen(what)),
                                        std::to_wstring(g_current)};
    if (from != nullptr) fields.push_back(Address(from));
    fields.push_back(Address(block));
    Journal(L"Block", fields);
}

// The framework's ways of writing a text into a record string, one after
// the other: a first character (a fork off the shared empty block), the
// whole text from a string of the library's own manager (copied, and grown
// when the block is too short), the same again while the library holds a
// copy (another fork; the old block loses a reference), dropping that copy
// (freed at zero through the manager its header names), and a copy kept
// until the library is unloaded.
void WriteThoroughly(wchar_t*& target, const std::wstring& text) {
    wchar_t* own = fw::EmptyOf(&g_own.base);
    fw::SetString(own, text.c_str(), static_cast<int>(text.size()));
    fw::SetString(target, text.c_str(), 1);
    fw::Assign(target, own);
    wchar_t* copy = fw::Copy(target);
    fw::Assign(target, own);
    fw::Destroy(copy);
    g_kept[g_current] = fw::Copy(target);
    fw::Destroy(own);
}

// Hands back the kept copies, noting how many references each block had:
// one, the library's, when the tool let go of its string exactly once.
void ReleaseKept() {
    for (int i = 0; i < kRecordStrings; ++i) {
        if (g_kept[i] == nullptr) continue;
        g_current = i;
        Journal(L"Kept", {std::to_wstring(i), L"refs=" + std::to_wstring(fw::DataOf(g_kept[i])->refs)});
        fw::Destroy(g_kept[i]);
    }
}

}  // namespace

// LoadMarker=<file name> in the answers: the library leaves that file beside
// itself the moment it is loaded, before anyone could have asked it
// anything, as planted code would run.
void LeaveLoadMarker() {
    const std::wstring name = IniString(L"LoadMarker", L"");
    if (name.empty()) return;
    HANDLE h = CreateFileW(BesideLibrary(name.c_str()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        LeaveLoadMarker();
    }
    // Only when the tool unloads the library: at process exit the tool's
    // objects are no longer to be touched.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) ReleaseKept();
    return TRUE;
}

// The record is six framework strings, which the tool made empty.
EXPORT int __cdecl InitFreedbackDll(wchar_t** record) {
    if (record == nullptr) {
        Journal(L"InitFreedbackDll", {L"null"});
        return 0;
    }
    Journal(L"InitFreedbackDll", {L"record"});
    if (IniInt(L"Sampler", 0) == 1) StartResourceSampler(BesideLibrary(L"TessaroFeedbackInformation.counts"));
    const bool thorough = IniString(L"InfoMode", L"") == L"framework";
    if (thorough) fw::onBlock = JournalBlock;
    for (int i = 0; i < kRecordStrings; ++i) {
        const std::wstring key = L"Info" + std::to_wstring(i);
        const std::wstring text = IniString(key.c_str(), L"");
        if (text.empty()) continue;
        g_current = i;
        if (thorough) {
            WriteThoroughly(record[i], text);
            const fw::Data* d = fw::DataOf(record[i]);
            Journal(L"Info", {std::to_wstring(i), Field(std::wstring(record[i], d->dataLength).c_str())});
        } else {
            fw::SetString(record[i], text.c_str(), static_cast<int>(text.size()));
        }
    }
    // InitDelayMs: a start that takes that long (or never returns).
    const int delay = IniInt(L"InitDelayMs", 0);
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
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
