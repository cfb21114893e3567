#pragma once
// What the uninstall engine tells its receiving window. Both messages are sent
// synchronously from the worker thread, WM_EXECUTE_DONE first, then
// WM_UNINSTALL_RESULT with an UninstallResult as wParam (lParam 0).
// Portable: no Windows headers needed to include it.

constexpr unsigned int WM_EXECUTE_DONE = 0x0400 + 501;      // WM_USER + 501
constexpr unsigned int WM_UNINSTALL_RESULT = 0x0400 + 503;  // WM_USER + 503
static_assert(WM_EXECUTE_DONE == 1525 && WM_UNINSTALL_RESULT == 1527, "message numbers are fixed");

enum UninstallResult {
    RESULT_REMOVED = 1,      // the delete command reported success
    RESULT_FAILED = 2,       // a command could not be started, or the delete did not succeed
    RESULT_NOT_PRESENT = 3,  // the query ran and does not list the service
};
