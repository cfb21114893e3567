#pragma once
// Binding to the companion feedback library that ships beside the tool.
#include <windows.h>

#include <string>

#include "integration/FeedbackExports.h"
#include "integration/FeedbackInfo.h"
#include "integration/LibraryTrust.h"

// Identify this tool to the library.
extern const wchar_t kFeedbackToolId[];       // "10151"
extern const wchar_t kFeedbackToolVersion[];  // "1.2.24.1010"

class CFeedbackDll {
public:
    CFeedbackDll();
    CFeedbackDll(const CFeedbackDll&) = delete;
    CFeedbackDll& operator=(const CFeedbackDll&) = delete;

    // Loads the library from the executable's own folder only (never from
    // the search path) and resolves all eleven exports. 1 when the library
    // loaded and every export was found, else 0. A signed tool loads only a
    // library signed by its own signer (LibraryTrust.h); one that is not is
    // never loaded, and WasRefused() says so.
    int Load();
    // Whether the last Load() refused the library for its signature.
    bool WasRefused() const { return m_bRefused; }
    // What the last Load() found of the library's signature, for a run log;
    // empty when no library was there to check.
    std::wstring TrustNote() const { return m_bChecked ? ::TrustNote(m_trust) : std::wstring(); }
    // Frees the library and forgets every export; harmless when not loaded.
    void Unload();

    // Calls of the exports the tool uses. Each passes its arguments unchanged
    // and returns the export's result, or 0 when the export is not resolved.
    int CallInitFreedbackDll(FeedbackInfo* info);
    int CallGetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion);
    int CallOpenToolDownUrl();
    int CallOpenUseAgreementUrl();
    int CallFeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion);
    // Hands the library a newly allocated system-string copy of `url`, as
    // long as its header says, which the library owns from then on.
    int CallOpenUrl(const CString& url);
    int CallCustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion, int answer,
                               const wchar_t* timeText, const wchar_t* clientText);

    // Full path the library is loaded from; empty when the executable's own
    // path cannot be had in full. (The first buffer's size only matters to tests.)
    static std::wstring LibraryPath(unsigned firstBuffer = MAX_PATH + 1);
    // Full path of the executable; empty when it cannot be had in full.
    static std::wstring ExecutablePath(unsigned firstBuffer = MAX_PATH + 1);

    HMODULE m_hModule;
    PFN_InitFreedbackDll InitFreedbackDll;
    PFN_FeedbackQuestion FeedbackQuestion;
    PFN_OpenUrl OpenUrl;
    PFN_GetInterNetState GetInterNetState;
    PFN_CustomerFeedback CustomerFeedback;
    PFN_CustomerFeedbackEx CustomerFeedbackEx;
    PFN_WriteCustomerFeedbackInfoFile WriteCustomerFeedbackInfoFile;
    PFN_GetToolIsNewVersion GetToolIsNewVersion;
    PFN_GetToolIsNewVersionDown GetToolIsNewVersionDown;
    PFN_OpenToolDownUrl OpenToolDownUrl;
    PFN_OpenUseAgreementUrl OpenUseAgreementUrl;

private:
    void ClearExports();

    TrustCheck m_trust;
    bool m_bChecked = false;
    bool m_bRefused = false;
};
