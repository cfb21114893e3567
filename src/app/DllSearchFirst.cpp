// Compiled into each executable that must restrict the DLL search before
// anything else of its own runs (not archived: nothing refers to it by name).
//
// Static constructors run before wWinMain: the application object's, and
// libssp's guard seeding, which loads the system's crypto providers. A DLL
// planted beside the tool must already be out of reach then. Priority 101 is
// the first a program may take, and libssp's constructor has none, so this
// one runs before every constructor of the program and its runtime.
#include "app/DllSearch.h"

namespace {

__attribute__((constructor(101))) void RestrictDllSearchFirst() {
    RestrictDllSearchToSystem();
}

}  // namespace
