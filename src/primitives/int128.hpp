#pragma once
// The core's 128-bit integers: products of two 64-bit values and the scaled
// bounds of the searches are exact in them.
//
// This is the one header that chooses them: the compiler's own __int128 where
// it has one, otherwise (MSVC) the two-halves classes of
// primitives/portable_int128.hpp; defining VARNOLT_PORTABLE_INT128 (the CMake
// option of that name) selects those on any compiler, which is how they are
// tested. Likewise the overflow-reporting arithmetic below uses the
// compiler's builtins where it has them, and exact portable checks otherwise.
#if defined(__SIZEOF_INT128__) && !defined(VARNOLT_PORTABLE_INT128)
#define VARNOLT_NATIVE_INT128 1
#else
#include "primitives/portable_overflow.hpp"
#endif

namespace varnolt::primitives {

#ifdef VARNOLT_NATIVE_INT128
using wide = __int128;
using uwide = unsigned __int128;
#else
using wide = Int128<true>;
using uwide = Int128<false>;
#endif

// Whether a + b (a − b, a·b) leaves the range of T. When it does not, result
// holds the exact value; when it does, result is unspecified. The checked
// arithmetic of primitives/checked.hpp is built on these for every width.
#ifdef VARNOLT_NATIVE_INT128
template <typename T> bool add_overflows(T a, T b, T& result) { return __builtin_add_overflow(a, b, &result); }
template <typename T> bool sub_overflows(T a, T b, T& result) { return __builtin_sub_overflow(a, b, &result); }
template <typename T> bool mul_overflows(T a, T b, T& result) { return __builtin_mul_overflow(a, b, &result); }
#else
template <typename T> bool add_overflows(T a, T b, T& result) { return portable::add_overflows(a, b, result); }
template <typename T> bool sub_overflows(T a, T b, T& result) { return portable::sub_overflows(a, b, result); }
template <typename T> bool mul_overflows(T a, T b, T& result) { return portable::mul_overflows(a, b, result); }
#endif

}  // namespace varnolt::primitives
