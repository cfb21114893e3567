// stack_guard_probe <bytes>
// Copies <bytes> bytes into a 16-byte local array, built with the flags of the
// tool. Prints "returned" when the function comes back. Any exception that
// ends the process is reported on stderr by its code, so the test can tell
// the stack guard's deliberate trap (illegal instruction, after libssp's
// message) from a wild jump through an overwritten return address.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LONG WINAPI ReportAndExit(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "exception 0x%08lx\n", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    ExitProcess(3);
}

volatile char g_sink;

__attribute__((noinline)) void CopyIntoLocal(const char* source, size_t bytes) {
    char local[16];
    std::memcpy(local, source, bytes);
    g_sink = local[bytes % sizeof(local)];
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&ReportAndExit);
    const size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 0;
    static char source[256];
    std::memset(source, 'A', sizeof(source));
    if (bytes > sizeof(source)) return 2;
    CopyIntoLocal(source, bytes);
    std::printf("returned\n");
    return 0;
}
