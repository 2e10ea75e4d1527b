#pragma once
// The core's 128-bit integers: products of two 64-bit values and the scaled
// bounds of the searches are exact in them.
//
// This is the one header that names the compiler's own 128-bit type and its
// overflow-reporting builtins. On a compiler without __int128, this header
// alone would change: wide and uwide become two classes with the built-in
// integer operators (+ - * / % << >> and the comparisons, mixed with 64-bit
// operands), conversions from and to the 64-bit integers and double, and
// overloads of the three *_overflows functions below for them.
namespace varnolt::utils {

using wide = __int128;
using uwide = unsigned __int128;

// Whether a + b (a − b, a·b) leaves the range of T. When it does not, result
// holds the exact value; when it does, result is unspecified. The checked
// arithmetic of utils/checked.hpp is built on these for every width.
template <typename T>
bool add_overflows(T a, T b, T& result) {
    return __builtin_add_overflow(a, b, &result);
}

template <typename T>
bool sub_overflows(T a, T b, T& result) {
    return __builtin_sub_overflow(a, b, &result);
}

template <typename T>
bool mul_overflows(T a, T b, T& result) {
    return __builtin_mul_overflow(a, b, &result);
}

}  // namespace varnolt::utils
