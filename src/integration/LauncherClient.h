#pragma once
// Launcher-client detection: which of the maker's launcher clients sits on a
// USB drive, and which device type its device-information file holds. The
// decisions are portable; the file system, the ini reader and the code-page
// conversions come in as hooks (Win32 ones in LauncherClientWin.h).
#include <functional>
#include <string>
#include <vector>

#include "integration/Aes.h"

// Kinds the rest of the tool acts on; any other value means "no client".
constexpr int kClientKindNone = 0;
constexpr int kClientKindCorvath = 1;
constexpr int kClientKindKestra = 2;

// Paths appended directly to a drive root such as "E:\".
struct LauncherProbe {
    const wchar_t* program;     // must exist for the client to count
    const wchar_t* deviceInfo;  // the device-information file
};
// Tried in this order on each drive: Corvath, then Kestra.
extern const LauncherProbe kLauncherProbes[2];

extern const wchar_t kDeviceInfoSection[];  // "DeviceType"
extern const wchar_t kDeviceInfoKey[];      // "Type"

struct LauncherScanHooks {
    // True when the path exists.
    std::function<bool(const std::wstring& path)> exists;
    // ReadIniValue's contract: 1 and `value` set when at least one character
    // was read, else 0 with `value` unchanged.
    std::function<int(const std::wstring& section, const std::wstring& key,
                      const std::wstring& path, std::wstring& value)>
        readIni;
    // Wide to narrow in the ANSI code page; empty when not convertible.
    // Unset: ASCII passes, anything else gives empty text.
    std::function<std::string(const std::wstring&)> toNarrow;
    // Narrow to wide with the runtime's multibyte conversion.
    // Unset: each byte becomes the character of the same value.
    std::function<std::wstring(const std::string&)> toWide;
};

// Walks `drives` (roots such as "E:\") in order and returns the kind read
// from the first drive with a complete client folder, 0 when there is none.
// A drive with the Corvath program but no Corvath file is passed over without
// looking at its Kestra folder.
int ScanLauncherClient(const std::vector<std::wstring>& drives, const LauncherScanHooks& hooks,
                       CAes& aes);

// Reads, deciphers and converts the device type of one device-information
// file; 0 when the value is missing or does not start with a number.
int ReadLauncherClientKind(const std::wstring& deviceInfoPath, const LauncherScanHooks& hooks,
                           CAes& aes);

// Leading decimal integer: optional white space and sign, then digits; no
// digits gives 0, and values beyond the 32-bit range are clamped.
int ParseLeadingInt(const std::wstring& text);
