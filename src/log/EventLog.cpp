#include "log/EventLog.h"

#include <vector>

namespace hrlog {

namespace {

// A Windows path is at most 32,767 characters.
const std::size_t kMaxPathChars = 32768;

// A cut path would send Event Viewer to another file.
bool OwnExecutablePath(std::wstring* path, std::size_t firstTry) {
    std::vector<wchar_t> buf(firstTry > 0 ? firstTry : 1);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return false;
        if (n < buf.size() && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            path->assign(buf.data(), n);
            return true;
        }
        if (buf.size() > kMaxPathChars) return false;
        buf.resize(buf.size() * 2);
    }
}

// An REG_EXPAND_SZ value as stored, unexpanded; any other type counts as
// missing, so that it is written again in the form the event log expects.
bool ReadExpandString(HKEY key, const wchar_t* name, std::wstring* out) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            type != REG_EXPAND_SZ) {
            return false;
        }
        // Room for a terminating zero after an odd byte count: a stored
        // value need not end in one.
        std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 2, L'\0');
        DWORD size = bytes;
        const LONG rc =
            RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size);
        if (rc == ERROR_MORE_DATA) continue;  // changed between the two reads
        if (rc != ERROR_SUCCESS || type != REG_EXPAND_SZ) return false;
        out->assign(buf.data());
        return true;
    }
    return false;
}

bool ReadDword(HKEY key, const wchar_t* name, std::uint32_t* out) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return false;
    }
    *out = value;
    return true;
}

bool Register() {
    std::wstring exe;
    if (!OwnExecutablePath(&exe, MAX_PATH)) return false;
    // The key takes the access list it inherits from EventLog\Application:
    // only Administrators and SYSTEM may change it there, and the event log
    // service and the readers of the log, who resolve the message file,
    // keep the read access they have on every other source.
    // KEY_WOW64_64KEY: the 32-bit tool on 64-bit Windows writes the key the
    // event log itself reads.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, EventSourceKeyPath().c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    std::wstring file;
    std::uint32_t types = 0;
    const bool hasFile = ReadExpandString(key, L"EventMessageFile", &file);
    const bool hasTypes = ReadDword(key, L"TypesSupported", &types);
    bool ok = true;
    if (EventSourceNeedsWrite(hasFile ? &file : nullptr, hasTypes ? &types : nullptr, exe)) {
        const DWORD typesValue = kEventTypesSupported;
        ok = RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE*>(exe.c_str()),
                            static_cast<DWORD>((exe.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
             RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&typesValue), sizeof(typesValue)) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

}  // namespace

WORD EventTypeOf(EventLevel level) {
    switch (level) {
    case EventLevel::Information: return EVENTLOG_INFORMATION_TYPE;
    case EventLevel::Warning: return EVENTLOG_WARNING_TYPE;
    default: return EVENTLOG_ERROR_TYPE;
    }
}

bool ExecutablePath(std::wstring* path, std::size_t firstTry) noexcept {
    try {
        return OwnExecutablePath(path, firstTry);
    } catch (...) {
        return false;
    }
}

bool EnsureEventSourceRegistered() noexcept {
    try {
        return Register();
    } catch (...) {
        return false;
    }
}

// The registration is looked at on every report rather than once per
// process: a run reports once, the look is three registry calls, and no
// state is shared between the threads that may report.
bool ReportRunEvent(WORD type, DWORD eventId, const std::wstring& text) noexcept {
    try {
        const bool registered = EnsureEventSourceRegistered();
        const std::wstring body = EventText(text);
        HANDLE source = RegisterEventSourceW(nullptr, kEventSourceName);
        if (!source) return false;
        LPCWSTR strings[1] = {body.c_str()};
        const BOOL reported = ReportEventW(source, type, 0, eventId, nullptr, 1, 0, strings, nullptr);
        DeregisterEventSource(source);
        return registered && reported;
    } catch (...) {
        return false;
    }
}

bool ReportRunOutcome(const std::wstring& resultWord, const std::wstring& text) noexcept {
    try {
        const RunEvent event = RunEventFor(resultWord);
        return ReportRunEvent(EventTypeOf(event.level), event.id, text);
    } catch (...) {
        return false;
    }
}

}  // namespace hrlog
