#pragma once
// The information record the companion feedback library fills during its
// initialisation: six framework strings. The library is built with the
// dialog framework and assigns to them with the framework's own inline string
// code, so the record is nothing but the six string objects, and every block
// the library gives them is owned by the manager its header names.
#include "framework/String.h"

#define FEEDBACK_INFO_STRINGS 6

// Index of the address the "更多工具" button opens.
#define FEEDBACK_INFO_MORE_TOOLS 3

struct FeedbackInfo {
    CString text[FEEDBACK_INFO_STRINGS];

    // Gives every block back through its own manager. Those managers may
    // live in the library, so this comes before the library is unloaded.
    void Empty() {
        for (CString& s : text) s.Empty();
    }
};

static_assert(sizeof(FeedbackInfo) == FEEDBACK_INFO_STRINGS * sizeof(void*),
              "six string objects in a row, nothing else");
static_assert(offsetof(FeedbackInfo, text[FEEDBACK_INFO_MORE_TOOLS]) ==
                  FEEDBACK_INFO_MORE_TOOLS * sizeof(void*),
              "the more-tools address is the fourth pointer");
#ifdef _WIN32
static_assert(sizeof(wchar_t) == 2, "the strings hold UTF-16 text");
#endif
