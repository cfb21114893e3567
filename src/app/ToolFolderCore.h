#pragma once
// What the tool removes of itself when it closes, and the command line that
// does it. Portable: no Windows headers.
//
// The tool is often started from a folder that holds the user's own files
// (Downloads, the Desktop, the root of a USB stick). Only the tool's own two
// files are deleted; the folder goes only when nothing else is left in it,
// and a drive or share root is never removed.
#include <string>
#include <utility>
#include <vector>

namespace toolfolder {

// File name of the companion library that ships beside the tool.
extern const wchar_t kCompanionLibraryName[];  // "TessaroFeedbackInformation.dll"

// Names of the environment variables that carry the paths to the removal
// command. Paths never travel inside the command text itself: inside double
// quotes cmd expands %NAME% once and takes the value literally, so &, ^, %,
// !, parentheses and spaces in a folder name cannot change what is deleted.
extern const wchar_t kExeVariable[];     // the tool's executable
extern const wchar_t kLibraryVariable[]; // the companion library
extern const wchar_t kFolderVariable[];  // the folder that held both

// The folder part of a full file path: everything before the last backslash.
// Empty when the path has no backslash or nothing before it.
std::wstring FolderOf(const std::wstring& path);

// Whether a folder (as FolderOf returns it, no trailing backslash) is the
// root of a drive or a network share: "C:", "C:\", "\\server\share",
// "\\?\C:", "\\?\UNC\server\share", or anything too short to be a folder.
bool IsRootFolder(const std::wstring& folder);

// True for a path cmd's del and rmdir cannot be trusted with: empty, holding
// a double quote, a wildcard or a control character, or not absolute.
bool IsUnsafeForCommand(const std::wstring& path);

struct RemovalPlan {
    std::wstring exePath;      // always deleted
    std::wstring libraryPath;  // deleted when not empty
    std::wstring folder;       // removed (only if empty) when removeFolder
    bool removeFolder = false;
};

// The plan for an executable at `exePath`. `libraryIsFile` says whether the
// companion library exists beside it as a plain file (not a folder). Returns
// false, and nothing is to be done, when the path does not allow a safe plan.
bool PlanRemoval(const std::wstring& exePath, bool libraryIsFile, RemovalPlan* plan);

// Command line of the hidden interpreter at `cmdPath`: AutoRun off (/D),
// delayed expansion off (/V:OFF, so ! stays literal), a three-second wait
// by the system's `timeoutPath` (by its path: a bare name is looked up in
// the current folder and along PATH) that no key cuts short, then the
// deletes and the non-recursive rmdir.
std::wstring BuildRemovalCommandLine(const std::wstring& cmdPath, const std::wstring& timeoutPath,
                                     const RemovalPlan& plan);

// The variables (name, value) the command line refers to.
std::vector<std::pair<std::wstring, std::wstring>> RemovalVariables(const RemovalPlan& plan);

// A Unicode environment block: `current` (entries "NAME=value" as the system
// lists them) without the entries whose names `additions` replace (compared
// without regard to ASCII case), then the additions; each entry ends with a
// zero and the block with one more.
std::vector<wchar_t> BuildEnvironmentBlock(
    const std::vector<std::wstring>& current,
    const std::vector<std::pair<std::wstring, std::wstring>>& additions);

// Splits a block as GetEnvironmentStringsW returns it into its entries.
std::vector<std::wstring> SplitEnvironmentBlock(const wchar_t* block);

}  // namespace toolfolder
