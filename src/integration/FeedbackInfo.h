#pragma once
// The information record the companion feedback library fills during its
// initialisation. It crosses a DLL boundary between separately built modules,
// so it is a plain record of fixed wide-character buffers: no library-owned
// allocations, no class types, and a size and capacity the library can check
// before writing. The companion library's own sources include this header.
#include <cstdint>
#include <string>

#define FEEDBACK_INFO_STRINGS 6
#define FEEDBACK_INFO_CAPACITY 1024  // wide characters per string, terminator included

// Index of the address the "更多工具" button opens.
#define FEEDBACK_INFO_MORE_TOOLS 3

struct FeedbackInfo {
    uint32_t size = sizeof(FeedbackInfo);         // lets the library reject a foreign layout
    uint32_t capacity = FEEDBACK_INFO_CAPACITY;   // per string, terminator included
    wchar_t text[FEEDBACK_INFO_STRINGS][FEEDBACK_INFO_CAPACITY] = {};
};

#ifdef _WIN32
static_assert(sizeof(wchar_t) == 2, "the record holds UTF-16 text");
// Same layout for 32- and 64-bit modules: no padding, no pointers.
static_assert(sizeof(FeedbackInfo) ==
                  8 + FEEDBACK_INFO_STRINGS * FEEDBACK_INFO_CAPACITY * sizeof(wchar_t),
              "the record's layout is shared with the library");
#endif

// String `index` of the record, read only within its buffer even when the
// library left it unterminated; empty for an index out of range.
inline std::wstring FeedbackInfoString(const FeedbackInfo& info, int index) {
    if (index < 0 || index >= FEEDBACK_INFO_STRINGS) return std::wstring();
    const wchar_t* s = info.text[index];
    size_t n = 0;
    while (n < FEEDBACK_INFO_CAPACITY && s[n] != L'\0') ++n;
    return std::wstring(s, n);
}
