#pragma once
// Portable rules of the tool's log: record layout, the "print" switch, the
// rollover decision and the fixed names. No Windows headers here.
#include <cstdint>
#include <string>

namespace hrlog {

// Folder below the common application-data folder, its settings file and the
// one switch the settings file holds.
constexpr wchar_t kLogFolderName[] = L"ToolLog";
constexpr wchar_t kConfigFileName[] = L"logCfg.ini";
constexpr wchar_t kConfigSection[] = L"Log";
constexpr wchar_t kConfigPrintKey[] = L"print";
constexpr wchar_t kConfigPrintDefault[] = L"-1";

// A log file that has grown past this many bytes is moved to its backup.
constexpr std::uint64_t kRolloverBytes = 6020000;

// Name of the tool's one log file (every caller writes there).
constexpr wchar_t kToolLogFileName[] = L"Tessaro Veride Hubrelay 服务卸载工具.txt";

// Appended to the log file's full path to name its single backup.
constexpr wchar_t kBackupSuffix[] = L"bak";

// Broken-down local time of one record.
struct LogTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
    int milliseconds;
};

// "[YYYY-MM-DD hh:mm:ss mmmms]   " (three blanks after the bracket).
std::string FormatLogPrefix(const LogTime& t);

// One complete record: prefix, the text up to its first zero byte, CR LF.
std::string FormatLogRecord(const LogTime& t, const std::string& text);

// The "print" value as read from the settings file: trimmed, read as a
// decimal number (sign and leading digits; no digits reads as 0). Only the
// value 1 switches printing on.
bool ParsePrintSwitch(const std::wstring& value);

// Whether a record is handed to the writer at all.
inline bool ShouldWriteRecord(bool force, bool printSwitch) { return force || printSwitch; }

// Whether a file of this length, just written, is moved to its backup.
inline bool ShouldRollOver(std::uint64_t fileLength) { return fileLength > kRolloverBytes; }

// Full path of the backup of the log file at `logPath`.
std::wstring BackupPathOf(const std::wstring& logPath);

// "%02X " for each byte, no line breaks; a negative or zero count gives "".
std::string FormatHexBytes(const unsigned char* bytes, std::int32_t count);

}  // namespace hrlog
