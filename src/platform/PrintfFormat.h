#pragma once

// BRIM_PRINTF_FORMAT(f, a) marks a function whose parameter f is a printf
// format and whose arguments start at parameter a, so that the compiler
// checks the calls. The programs' formats are the C99 ones (%zu, %lld); on
// Windows the C runtime of mingw-w64 is asked for the C99 printf family
// (__USE_MINGW_ANSI_STDIO, set by the build), whose checks are named
// gnu_printf there; plain printf would check against the older system
// runtime's formats.
#if defined(__MINGW32__)
#define BRIM_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define BRIM_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif
