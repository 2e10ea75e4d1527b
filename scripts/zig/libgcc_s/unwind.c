/* The unwinder interface of GCC's libgcc_s.so.1, as symbols without bodies:
 * a library to link against, never to load. Linked into the glibc wheels
 * (zig.sh), it makes the extension take its unwinder from the system's
 * libgcc_s.so.1 rather than from the LLVM libunwind that Zig links
 * statically. glibc ends a thread (pthread_exit, as CPython does to a thread
 * that takes the interpreter lock during finalisation) by unwinding it with
 * libgcc_s; the personality routine of the extension's frames must then read
 * libgcc_s's unwind context through libgcc_s's own functions, or it crashes.
 * Every manylinux system has libgcc_s.so.1; the symbol versions below are
 * those of GCC's library. */
void _Unwind_Backtrace(void) {}
void _Unwind_DeleteException(void) {}
void _Unwind_FindEnclosingFunction(void) {}
void _Unwind_Find_FDE(void) {}
void _Unwind_ForcedUnwind(void) {}
void _Unwind_GetCFA(void) {}
void _Unwind_GetDataRelBase(void) {}
void _Unwind_GetGR(void) {}
void _Unwind_GetIP(void) {}
void _Unwind_GetIPInfo(void) {}
void _Unwind_GetLanguageSpecificData(void) {}
void _Unwind_GetRegionStart(void) {}
void _Unwind_GetTextRelBase(void) {}
void _Unwind_RaiseException(void) {}
void _Unwind_Resume(void) {}
void _Unwind_Resume_or_Rethrow(void) {}
void _Unwind_SetGR(void) {}
void _Unwind_SetIP(void) {}
