#pragma once
// Runs body(context) and reports whether the stack pointer and the
// registers every callee must preserve came back as they were. On 32-bit
// x86 a call made with a convention the callee does not share (one side
// expects the callee to remove the arguments, the other the caller) leaves
// the stack pointer off by the size of the arguments; x64 has one
// convention, and there the check always holds.
int RunBalanced(void (*body)(void*), void* context);
