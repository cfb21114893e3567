#include "StackBalance.h"

#if defined(__i386__)
extern "C" {
// Written by the assembly below; one check at a time.
unsigned long hr_balance_saved_esp;
int hr_run_balanced(void (*body)(void*), void* context);
}

// Loads known values into ebx, esi, edi and ebp, calls body(context) as a C
// caller does (pushes the argument, removes it afterwards), then compares.
// The caller's registers and stack pointer are restored from the saved
// stack pointer, so an unbalanced body is reported, not crashed on.
__asm__(
    ".text\n"
    ".globl _hr_run_balanced\n"
    "_hr_run_balanced:\n"
    "  pushl %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 20(%esp), %eax\n"
    "  movl 24(%esp), %ecx\n"
    "  movl %esp, _hr_balance_saved_esp\n"
    "  movl $0x0b0b0b0b, %ebx\n"
    "  movl $0x05050505, %esi\n"
    "  movl $0x0d0d0d0d, %edi\n"
    "  movl $0x0e0e0e0e, %ebp\n"
    "  pushl %ecx\n"
    "  call *%eax\n"
    "  addl $4, %esp\n"
    "  xorl %eax, %eax\n"
    "  cmpl _hr_balance_saved_esp, %esp\n"
    "  jne 1f\n"
    "  cmpl $0x0b0b0b0b, %ebx\n"
    "  jne 1f\n"
    "  cmpl $0x05050505, %esi\n"
    "  jne 1f\n"
    "  cmpl $0x0d0d0d0d, %edi\n"
    "  jne 1f\n"
    "  cmpl $0x0e0e0e0e, %ebp\n"
    "  jne 1f\n"
    "  movl $1, %eax\n"
    "1:\n"
    "  movl _hr_balance_saved_esp, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

int RunBalanced(void (*body)(void*), void* context) { return hr_run_balanced(body, context); }
#else
int RunBalanced(void (*body)(void*), void* context) {
    body(context);
    return 1;
}
#endif
