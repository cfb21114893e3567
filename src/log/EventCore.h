#pragma once
// Portable rules of the tool's Application event-log record: its source, the
// event id and level of each run outcome, and the shape of the text it
// carries. No Windows headers here.
#include <cstddef>
#include <cstdint>
#include <string>

namespace hrlog {

// The event source every record is reported under.
constexpr wchar_t kEventSourceName[] = L"Tessaro Veride Hubrelay Uninstall";

// The source's registration key below HKEY_LOCAL_MACHINE.
std::wstring EventSourceKeyPath();

// Error, warning and information: the record types the source declares.
constexpr std::uint32_t kEventTypesSupported = 7;

enum class EventLevel { Information, Warning, Error };

struct RunEvent {
    std::uint32_t id;
    EventLevel level;
};

// The record of a run that ended with `resultWord` (the word of its RESULT=
// line, e.g. L"removed"). A word this table does not know is a failure:
// 1003, error.
RunEvent RunEventFor(const std::wstring& resultWord);

// One row per outcome, in id order; `count` receives the number of rows.
struct RunEventRow {
    const wchar_t* word;
    RunEvent event;
};
const RunEventRow* RunEventTable(std::size_t* count);

// The longest text one insertion string of a record may have; a longer one
// makes the whole report fail.
constexpr std::size_t kMaxEventTextChars = 31839;
// What ends a text that had to be cut.
constexpr wchar_t kEventTextCutMark[] = L"\r\n[...]";

// The text as a record carries it: every line break CR LF (a bare LF or CR
// does not break the line in every viewer of the log), cut to fit kMaxEventTextChars with
// kEventTextCutMark at its end, never inside a surrogate pair. Text after a
// zero character is dropped, as the report would drop it.
std::wstring EventText(const std::wstring& text);

// Whether the source's registration must be written: a value is missing
// (given as null), its message file is not the running executable (the tool
// is started from different folders, and a desktop run deletes its files
// afterwards), or its types are not ours.
bool EventSourceNeedsWrite(const std::wstring* messageFile, const std::uint32_t* typesSupported,
                           const std::wstring& exePath);

}  // namespace hrlog
