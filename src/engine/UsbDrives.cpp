#include "engine/CommandRunner.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>

int IsUsbDrive(const std::wstring& root) {
    if (root.empty()) return 0;
    wchar_t volume[16];
    wsprintfW(volume, L"\\\\?\\%c:", root[0]);
    HANDLE h = CreateFileW(volume, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;

    STORAGE_PROPERTY_QUERY query;
    std::memset(&query, 0, sizeof(query));
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    // Only the descriptor's fixed part is needed: the bus type sits at offset 28.
    unsigned char answer[40];
    std::memset(answer, 0, sizeof(answer));
    DWORD got = 0;
    const BOOL ok = DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, 12, answer,
                                    sizeof(answer), &got, nullptr);
    CloseHandle(h);
    if (!ok) return 0;
    DWORD busType = 0;
    std::memcpy(&busType, answer + 28, sizeof(busType));
    return busType == 7 /* BusTypeUsb */ ? 1 : 0;
}

int GetUsbDrives(std::vector<std::wstring>& drives) {
    wchar_t buffer[1024];
    std::memset(buffer, 0, sizeof(buffer));
    const DWORD n = GetLogicalDriveStringsW(1023, buffer);
    for (DWORD pos = 0; pos < n && pos + 3 <= 1023; pos += 4) {
        std::wstring root(buffer + pos, 3);
        if (IsUsbDrive(root)) drives.push_back(root);
    }
    return drives.empty() ? 0 : 1;
}
