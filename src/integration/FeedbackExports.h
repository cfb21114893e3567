#pragma once
// Signatures of the companion feedback library's exports: cdecl, 32-bit
// results, wide-character texts. The tool resolves them by these names.
#include <windows.h>
#include <oleauto.h>

#include "integration/FeedbackInfo.h"

extern "C" {
typedef int(__cdecl* PFN_InitFreedbackDll)(FeedbackInfo* info);
typedef int(__cdecl* PFN_FeedbackQuestion)(const wchar_t* toolId, const wchar_t* toolVersion);
// Receives a system string the tool allocates and does not free.
typedef int(__cdecl* PFN_OpenUrl)(BSTR url);
typedef int(__cdecl* PFN_GetInterNetState)(void);
typedef int(__cdecl* PFN_CustomerFeedback)(const wchar_t* toolId, const wchar_t* toolVersion,
                                           int answer);
typedef int(__cdecl* PFN_CustomerFeedbackEx)(const wchar_t* toolId, const wchar_t* toolVersion,
                                             int answer, const wchar_t* timeText,
                                             const wchar_t* clientText);
typedef int(__cdecl* PFN_WriteCustomerFeedbackInfoFile)(const wchar_t* toolId,
                                                        const wchar_t* toolVersion);
typedef int(__cdecl* PFN_GetToolIsNewVersion)(const wchar_t* toolId, const wchar_t* toolVersion);
typedef int(__cdecl* PFN_GetToolIsNewVersionDown)(const wchar_t* toolId,
                                                  const wchar_t* toolVersion);
typedef int(__cdecl* PFN_OpenToolDownUrl)(void);
typedef int(__cdecl* PFN_OpenUseAgreementUrl)(void);
}

#define FEEDBACK_DLL_NAME L"TessaroFeedbackInformation.dll"

// GetToolIsNewVersion's answer when a newer version of the tool exists.
#define FEEDBACK_NEWER_VERSION 3
