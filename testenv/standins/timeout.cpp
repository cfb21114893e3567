// Stand-in for Windows' timeout.exe: "/t N" waits N seconds ("/nobreak" is
// accepted; there is no keyboard to break the wait with anyway).
#include "Console.h"

#include <shellapi.h>

#include <cwchar>

int wmain() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    long seconds = -1;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = standin::Lower(argv[i]);
        if (a == L"/t" && i + 1 < argc) seconds = std::wcstol(argv[++i], nullptr, 10);
        else if (a != L"/nobreak") seconds = std::wcstol(argv[i], nullptr, 10);
    }
    if (seconds < 0) {
        standin::Err(L"错误: 无效语法。\r\n");
        return 1;
    }
    for (long left = seconds; left > 0; --left) Sleep(1000);
    standin::Out(L"\r\n");
    return 0;
}
