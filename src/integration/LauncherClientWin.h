#pragma once
// Launcher-client detection on the real machine: USB drives, files and the
// system's private-profile reader around the portable decisions.
#include <string>
#include <vector>

#include "integration/Aes.h"
#include "integration/LauncherClient.h"

// Reads one value of an ini file: 1 and `value` set when the system's reader
// returns at least one character (at most 255), else 0 with `value` unchanged.
int ReadIniValue(std::wstring section, std::wstring key, std::wstring path, std::wstring& value);

// Wide to narrow in the ANSI code page; empty when the text does not convert.
std::string WideToAnsi(const std::wstring& text);
// Narrow to wide with the runtime's multibyte conversion of the current locale.
std::wstring MultiByteToWide(const std::string& text);

// Hooks backed by the file system, ReadIniValue and the conversions above.
LauncherScanHooks SystemLauncherScanHooks();

// The launcher-client kind of this machine: scans the USB drives. Silent;
// 0 when nothing is found. (Inside a class with its own ScanLauncherClient
// member, call it as ::ScanLauncherClient.)
int ScanLauncherClient(CAes& aes);

// The same scan over the given roots (each ending in a backslash).
int ScanLauncherClient(const std::vector<std::wstring>& roots, CAes& aes);
