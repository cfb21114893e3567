#include "log/LogCore.h"

#include <cstdio>
#include <cwctype>
#include <limits>

namespace hrlog {

std::string FormatLogPrefix(const LogTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.milliseconds);
    return buf;
}

std::string FormatLogRecord(const LogTime& t, const std::string& text) {
    // The body is filled through "%s", so a zero byte ends the text.
    return FormatLogPrefix(t) + std::string(text.c_str()) + "\r\n";
}

bool ParsePrintSwitch(const std::wstring& value) {
    size_t pos = 0;
    while (pos < value.size() && std::iswspace(static_cast<wint_t>(value[pos]))) ++pos;
    bool negative = false;
    if (pos < value.size() && (value[pos] == L'+' || value[pos] == L'-')) {
        negative = value[pos] == L'-';
        ++pos;
    }
    // Saturate instead of wrapping, so that no long digit string can come
    // out as exactly 1.
    const long long cap = std::numeric_limits<int>::max();
    long long number = 0;
    bool anyDigit = false;
    while (pos < value.size() && value[pos] >= L'0' && value[pos] <= L'9') {
        anyDigit = true;
        number = number * 10 + (value[pos] - L'0');
        if (number > cap) number = cap;
        ++pos;
    }
    if (!anyDigit) return false;
    return !negative && number == 1;
}

std::wstring BackupPathOf(const std::wstring& logPath) { return logPath + kBackupSuffix; }

std::string FormatHexBytes(const unsigned char* bytes, std::int32_t count) {
    std::string out;
    if (!bytes || count <= 0) return out;
    static const char kDigits[] = "0123456789ABCDEF";
    out.reserve(static_cast<size_t>(count) * 3);
    for (std::int32_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
        out += ' ';
    }
    return out;
}

}  // namespace hrlog
