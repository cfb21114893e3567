#include "log/EventCore.h"

namespace hrlog {

namespace {

const RunEventRow kRunEvents[] = {
    {L"removed", {1000, EventLevel::Information}},
    {L"removed-after-restart", {1001, EventLevel::Warning}},
    {L"not-present", {1002, EventLevel::Information}},
    {L"failed", {1003, EventLevel::Error}},
    {L"busy", {1004, EventLevel::Warning}},
    {L"unsupported-os", {1005, EventLevel::Error}},
    {L"companion-missing", {1006, EventLevel::Error}},
    {L"companion-failed", {1007, EventLevel::Error}},
    {L"companion-untrusted", {1008, EventLevel::Error}},
    {L"bad-command-line", {1009, EventLevel::Error}},
    {L"log-failed", {1010, EventLevel::Error}},
    {L"check", {1011, EventLevel::Information}},
};

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

const RunEventRow* RunEventTable(std::size_t* count) {
    if (count) *count = sizeof(kRunEvents) / sizeof(kRunEvents[0]);
    return kRunEvents;
}

RunEvent RunEventFor(const std::wstring& resultWord) {
    for (const RunEventRow& row : kRunEvents) {
        if (resultWord == row.word) return row.event;
    }
    return {1003, EventLevel::Error};
}

std::wstring EventText(const std::wstring& text) {
    const std::wstring source(text.c_str());
    std::wstring out;
    out.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const wchar_t c = source[i];
        if (c == L'\n' && (i == 0 || source[i - 1] != L'\r')) {
            out += L"\r\n";
        } else if (c == L'\r' && (i + 1 == source.size() || source[i + 1] != L'\n')) {
            out += L"\r\n";
        } else {
            out += c;
        }
    }
    if (out.size() <= kMaxEventTextChars) return out;

    const std::wstring mark(kEventTextCutMark);
    std::size_t keep = kMaxEventTextChars - mark.size();
    // Neither half of a CR LF nor of a surrogate pair stays alone at the cut.
    if (keep > 0 && (IsHighSurrogate(out[keep - 1]) || out[keep - 1] == L'\r')) --keep;
    out.resize(keep);
    return out + mark;
}

std::wstring EventSourceKeyPath() {
    return std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\") + kEventSourceName;
}

bool EventSourceNeedsWrite(const std::wstring* messageFile, const std::uint32_t* typesSupported,
                           const std::wstring& exePath) {
    if (!messageFile || !typesSupported) return true;
    return *messageFile != exePath || *typesSupported != kEventTypesSupported;
}

}  // namespace hrlog
