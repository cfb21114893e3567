// squat.exe <mutex|locked|event> <ready file> [seconds]
//
// Makes the tool's run-lock name first, as any program of an ordinary user
// may (a name in Global\ needs no privilege), and holds it until it is
// ended, or for the seconds given (120 by default, so that a test that
// loses it does not leave it behind): "mutex" a mutex with no security
// descriptor, owned and held;
// "locked" a mutex whose access list grants nobody anything; "event" an
// event of that name. Writes the ready file once the object exists.
#include <windows.h>
#include <sddl.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring kind = argv[1];
    const wchar_t* name = L"Global\\TessaroVerideHubrelayUninstallRun";
    const DWORD seconds = argc > 3 ? wcstoul(argv[3], nullptr, 10) : 120;
    HANDLE object = nullptr;
    if (kind == L"mutex") {
        object = CreateMutexW(nullptr, TRUE, name);
    } else if (kind == L"locked") {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &sd, nullptr)) return 3;
        SECURITY_ATTRIBUTES sa = {sizeof(sa), sd, FALSE};
        object = CreateMutexW(&sa, TRUE, name);
        LocalFree(sd);
    } else if (kind == L"event") {
        object = CreateEventW(nullptr, TRUE, FALSE, name);
    } else {
        return 2;
    }
    if (object == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 4;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 5;
    CloseHandle(ready);
    Sleep(seconds * 1000);
    return 0;
}
