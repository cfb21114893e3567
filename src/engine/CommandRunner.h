#pragma once
// Runs system command lines hidden and collects what they print.
#include <string>
#include <vector>

// Runs "cmd /C <command>" hidden and appends its standard output and standard
// error, converted from the ANSI code page, to `output`. Returns 1 when the
// command was started and read to its end, 0 when nothing was started. The
// exit code is deliberately not reported: callers judge commands by their text.
int RunCommand(std::wstring command, std::wstring& output);

// 1 when this is a 32-bit process on 64-bit Windows, else 0.
int IsWow64();

// Appends the roots ("X:\") of drives attached over USB, in drive-letter
// order. Returns 1 when `drives` is non-empty afterwards.
int GetUsbDrives(std::vector<std::wstring>& drives);

// 1 when the volume whose letter is root[0] reports bus type USB.
int IsUsbDrive(const std::wstring& root);
