// Test helper: prints exactly the bytes a command-runner test needs.
//   emit long N        N bytes of text in one write
//   emit nul           text with a zero byte inside
//   emit interleave    standard output and standard error, alternating
//   emit gbk           a zh-CN message in code page 936
//   emit split         a double-byte character straddling the 4,095-byte read
//   emit exit N        a line of error text, then exit code N
//   emit marker PATH   creates PATH (used as a planted program that must not run)
//   emit spawn         starts "emit sleep" with its handles, prints, exits 7:
//                      the sleeper holds the pipe after the command ended
//   emit sleep         waits ten minutes
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Write(DWORD which, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    if (mode == "long" && argc > 2) {
        const long n = std::strtol(argv[2], nullptr, 10);
        std::string s;
        for (long i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
        Write(STD_OUTPUT_HANDLE, s);
    } else if (mode == "nul") {
        Write(STD_OUTPUT_HANDLE, std::string("before\0after\r\n", 14));
    } else if (mode == "interleave") {
        for (int i = 1; i <= 3; ++i) {
            Write(STD_OUTPUT_HANDLE, "out" + std::to_string(i) + "\r\n");
            Write(STD_ERROR_HANDLE, "err" + std::to_string(i) + "\r\n");
        }
    } else if (mode == "gbk") {
        // 指定的服务未安装。
        Write(STD_OUTPUT_HANDLE, "\xd6\xb8\xb6\xa8\xb5\xc4\xb7\xfe\xce\xf1\xce\xb4\xb0\xb2\xd7\xb0\xa1\xa3\r\n");
    } else if (mode == "split") {
        // 4,094 ASCII bytes, then 成功 (b3 c9 b9 a6): the first read of 4,095
        // bytes ends between the two bytes of 成.
        Write(STD_OUTPUT_HANDLE, std::string(4094, 'x') + "\xb3\xc9\xb9\xa6\r\n");
    } else if (mode == "exit" && argc > 2) {
        Write(STD_ERROR_HANDLE, "failing on purpose\r\n");
        return std::atoi(argv[2]);
    } else if (mode == "spawn") {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string line = std::string("\"") + self + "\" sleep";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi;
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 2;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        Write(STD_OUTPUT_HANDLE, "spawned\r\n");
        return 7;
    } else if (mode == "sleep") {
        Sleep(600000);
    } else if (mode == "marker" && argc > 2) {
        HANDLE h = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    } else {
        return 2;
    }
    return 0;
}
