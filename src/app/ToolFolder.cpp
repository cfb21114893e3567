#include "app/ToolFolder.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/ToolFolderCore.h"
#include "engine/CommandRunner.h"

namespace {

// The executable's full path; empty when it does not fit even a long buffer
// (a cut-off path would name some other file).
std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) return std::wstring();
        if (n < size) return std::wstring(buffer.data(), n);
        if (size >= 32768) return std::wstring();
        buffer.resize(size * 2);
    }
}

bool IsPlainFile(const std::wstring& path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring SystemFolder() {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    return std::wstring(dir, n);
}

}  // namespace

int RemoveToolFolder() {
    const std::wstring exe = ExecutablePath();
    if (exe.empty()) return 1;
    const std::wstring folder = toolfolder::FolderOf(exe);
    const std::wstring library =
        (folder.empty() || folder.back() == L'\\' ? folder : folder + L"\\") + toolfolder::kCompanionLibraryName;

    toolfolder::RemovalPlan plan;
    if (!toolfolder::PlanRemoval(exe, IsPlainFile(library), &plan)) return 1;

    const std::wstring system = SystemFolder();
    if (system.empty()) return 1;
    const std::wstring cmd = system + L"\\cmd.exe";
    std::wstring commandLine = toolfolder::BuildRemovalCommandLine(cmd, system + L"\\timeout.exe", plan);

    // The machine's variables, as every command the tool starts gets them,
    // and the paths to remove.
    std::vector<wchar_t> environment =
        toolfolder::BuildEnvironmentBlock(SystemCommandEnvironment(), toolfolder::RemovalVariables(plan));

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi = {};
    // The interpreter starts in the system folder, so neither the tool's
    // folder (which it is about to remove) nor a planted program there is
    // its current folder.
    if (CreateProcessW(cmd.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                       CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, environment.data(),
                       system.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return 1;
}
