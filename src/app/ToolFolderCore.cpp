#include "app/ToolFolderCore.h"

namespace toolfolder {

const wchar_t kCompanionLibraryName[] = L"TessaroFeedbackInformation.dll";
const wchar_t kExeVariable[] = L"HR_REMOVE_TOOL_EXE";
const wchar_t kLibraryVariable[] = L"HR_REMOVE_TOOL_LIBRARY";
const wchar_t kFolderVariable[] = L"HR_REMOVE_TOOL_FOLDER";

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// "X:" or "X:\" alone.
bool IsDriveRoot(const std::wstring& s) {
    if (s.size() < 2 || s.size() > 3 || !IsLetter(s[0]) || s[1] != L':') return false;
    return s.size() == 2 || s[2] == L'\\';
}

// "server\share" with at most a trailing backslash: no further component.
bool IsShareRoot(const std::wstring& rest) {
    std::wstring r = rest;
    while (!r.empty() && r.back() == L'\\') r.pop_back();
    const size_t slash = r.find(L'\\');
    if (slash == std::wstring::npos) return true;  // just a server, or nothing
    return r.find(L'\\', slash + 1) == std::wstring::npos;
}

std::wstring Quoted(const std::wstring& name) { return L"\"%" + name + L"%\""; }

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0) return std::wstring();
    return path.substr(0, slash);
}

bool IsRootFolder(const std::wstring& folder) {
    if (folder.size() < 2) return true;
    if (IsDriveRoot(folder)) return true;
    if (StartsWith(folder, L"\\\\?\\") || StartsWith(folder, L"\\\\.\\")) {
        const std::wstring rest = folder.substr(4);
        if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 4), L"UNC\\")) return IsShareRoot(rest.substr(4));
        if (IsDriveRoot(rest)) return true;
        // A device or volume name without a folder below it.
        return rest.find(L'\\') == std::wstring::npos || rest.find(L'\\') + 1 == rest.size();
    }
    if (StartsWith(folder, L"\\\\")) return IsShareRoot(folder.substr(2));
    return false;
}

bool IsUnsafeForCommand(const std::wstring& path) {
    if (path.size() < 3) return true;
    const bool absolute = (IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\') ||
                          StartsWith(path, L"\\\\");
    if (!absolute) return true;
    for (wchar_t c : path) {
        if (c == L'"' || c == L'*' || c == L'?' || c < 0x20) return true;
    }
    return false;
}

bool PlanRemoval(const std::wstring& exePath, bool libraryIsFile, RemovalPlan* plan) {
    if (plan == nullptr || IsUnsafeForCommand(exePath)) return false;
    const std::wstring folder = FolderOf(exePath);
    if (folder.empty()) return false;
    RemovalPlan p;
    p.exePath = exePath;
    p.folder = folder;
    // "C:" + "\name" is a path at the drive's root, not in its current folder.
    const std::wstring base = (folder.back() == L'\\') ? folder : folder + L"\\";
    if (libraryIsFile) p.libraryPath = base + kCompanionLibraryName;
    p.removeFolder = !IsRootFolder(folder) && !IsUnsafeForCommand(folder);
    *plan = p;
    return true;
}

std::wstring BuildRemovalCommandLine(const std::wstring& cmdPath, const std::wstring& timeoutPath,
                                     const RemovalPlan& plan) {
    // /S: strip exactly the outer quotes of the command, keep the rest as is.
    std::wstring body = L"\"" + timeoutPath + L"\" /t 3 /nobreak >nul 2>nul";
    body += L" & del /f /q " + Quoted(kExeVariable) + L" >nul 2>nul";
    if (!plan.libraryPath.empty()) body += L" & del /f /q " + Quoted(kLibraryVariable) + L" >nul 2>nul";
    // Without /s rmdir refuses a folder that still holds anything.
    if (plan.removeFolder) body += L" & rmdir " + Quoted(kFolderVariable) + L" >nul 2>nul";
    return L"\"" + cmdPath + L"\" /D /V:OFF /S /C \"" + body + L"\"";
}

std::vector<std::pair<std::wstring, std::wstring>> RemovalVariables(const RemovalPlan& plan) {
    std::vector<std::pair<std::wstring, std::wstring>> vars;
    vars.emplace_back(kExeVariable, plan.exePath);
    if (!plan.libraryPath.empty()) vars.emplace_back(kLibraryVariable, plan.libraryPath);
    if (plan.removeFolder) vars.emplace_back(kFolderVariable, plan.folder);
    return vars;
}

std::vector<wchar_t> BuildEnvironmentBlock(
    const std::vector<std::wstring>& current,
    const std::vector<std::pair<std::wstring, std::wstring>>& additions) {
    std::vector<wchar_t> block;
    auto append = [&block](const std::wstring& entry) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    };
    for (const std::wstring& entry : current) {
        if (entry.empty()) continue;
        // Entries such as "=C:=C:\dir" keep per-drive folders; their name
        // starts after the leading '='.
        const size_t eq = entry.find(L'=', 1);
        const std::wstring name = entry.substr(0, eq);
        bool replaced = false;
        for (const auto& add : additions) {
            if (EqualsNoCase(name, add.first)) replaced = true;
        }
        if (!replaced) append(entry);
    }
    for (const auto& add : additions) append(add.first + L"=" + add.second);
    if (block.empty()) block.push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

std::vector<std::wstring> SplitEnvironmentBlock(const wchar_t* block) {
    std::vector<std::wstring> entries;
    if (block == nullptr) return entries;
    for (const wchar_t* p = block; *p != L'\0';) {
        std::wstring entry(p);
        p += entry.size() + 1;
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace toolfolder
