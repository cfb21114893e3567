#pragma once
// The tool's Application event-log record: one per run, so that fleet tools
// (event forwarding, SIEM and RMM agents) see each run's outcome. The source
// registers itself with the running executable as its message file, whose
// message table holds the records' texts.
//
// A record is a report on the run, never part of it: these functions do not
// throw, show nothing, and their result changes no caller's outcome.
#include "log/EventCore.h"

#include <windows.h>

#include <string>

namespace hrlog {

// EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE or EVENTLOG_ERROR_TYPE.
WORD EventTypeOf(EventLevel level);

// The running executable's full path, never cut: the buffer starts at
// `firstTry` characters and grows until the path fits.
bool ExecutablePath(std::wstring* path, std::size_t firstTry = MAX_PATH) noexcept;

// Writes the source's registration (EventMessageFile: this executable's full
// path; TypesSupported: 7) in the 64-bit registry view when it is missing or
// names another file. True when it is in place afterwards.
bool EnsureEventSourceRegistered() noexcept;

// Reports one record with `text` as its one insertion string (see EventText
// for its shape), registering the source first. False when the record could
// not be written or the registration could not be made; a record is still
// attempted when only the registration failed.
bool ReportRunEvent(WORD type, DWORD eventId, const std::wstring& text) noexcept;

// The record of a run that ended with `resultWord` (RunEventFor's table).
bool ReportRunOutcome(const std::wstring& resultWord, const std::wstring& text) noexcept;

}  // namespace hrlog
