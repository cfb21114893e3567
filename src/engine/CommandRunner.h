#pragma once
// Runs system command lines hidden and collects what they print.
#include <string>
#include <vector>

// How long a command may run before its whole process tree is ended. The
// slowest command the tool runs is PowerShell's cold start: on a slow disk
// after an update, with its .NET assemblies not yet compiled to native code,
// it takes up to about a minute before it prints; 90 s leaves room for that
// and for the pause after each chunk read, while a hung command still ends
// the progress prompt within a time a user waits.
constexpr unsigned long kCommandDeadlineMs = 90000;

// Runs "cmd /D /S /C "<command>"" hidden (without cmd's AutoRun commands)
// and appends its standard output and standard error, converted from the
// console's code page, to `output`. A command whose first word is
// "powershell" or "sc" runs the system's own program, named by its full
// path; every command gets SystemCommandEnvironment() and inherits its own
// pipe and nothing else. Returns 1 when the command
// was started and read to its end, 0 when nothing was started or when it
// outlived the deadline (its process tree is then ended and `output` left
// as it was). A program the command left running, holding the pipe, does
// not hold the reader: it is ended shortly after the command itself.
int RunCommand(std::wstring command, std::wstring& output);

// RunCommand with a deadline of the caller's (tests use a short one), and
// the exit code of the command (cmd passes on the one of the program it
// ran) in `exitCode` when given: -1 when none could be had.
int RunCommandWithin(std::wstring command, std::wstring& output, unsigned long deadlineMs,
                     long long* exitCode = nullptr);

// The entries ("NAME=value") of the environment every command the tool
// starts gets: the machine's variables, none of the user's
// (engine/CommandEnvironment.h).
std::vector<std::wstring> SystemCommandEnvironment();

// 1 when this is a 32-bit process on 64-bit Windows, else 0.
int IsWow64();

// Appends the roots ("X:\") of drives attached over USB, in drive-letter
// order. Returns 1 when `drives` is non-empty afterwards.
int GetUsbDrives(std::vector<std::wstring>& drives);

// 1 when the volume whose letter is root[0] reports bus type USB.
int IsUsbDrive(const std::wstring& root);
