// Copied into a prepared folder and run: removes itself the way the tool
// does when it closes.
#include <windows.h>

#include "app/ToolFolder.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RemoveToolFolder();
    return 0;
}
