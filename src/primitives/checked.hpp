#pragma once
// Checked integer arithmetic in 64 or 128 bits. Every sum, difference,
// product and negation in the core goes through these: a result outside the
// range of its width raises ArithmeticOverflow instead of wrapping, so no
// answer is ever computed from a wrapped value.
//
// The width is the template argument, 64 bits unless given:
// checked_mul(a, b) is the signed 64-bit product, checked_mul<wide>(a, b) the
// 128-bit one. Operands convert to that width first.
#include <cstdint>
#include <exception>
#include <type_traits>

#include "primitives/int128.hpp"

namespace varnolt::primitives {

class ArithmeticOverflow : public std::exception {
public:
    const char* what() const noexcept override {
        return "arithmetic overflow: value outside the signed 64-bit range";
    }
};

[[noreturn]] inline void overflow() { throw ArithmeticOverflow{}; }

// a op b, for op one of the overflow tests of int128.hpp.
template <typename T, bool (*overflows)(T, T, T&)>
T checked_op(T a, T b) {
    T result;
    if (overflows(a, b, result)) overflow();
    return result;
}

template <typename T = std::int64_t>
T checked_add(std::type_identity_t<T> a, std::type_identity_t<T> b) {
    return checked_op<T, add_overflows<T>>(a, b);
}

template <typename T = std::int64_t>
T checked_sub(std::type_identity_t<T> a, std::type_identity_t<T> b) {
    return checked_op<T, sub_overflows<T>>(a, b);
}

template <typename T = std::int64_t>
T checked_mul(std::type_identity_t<T> a, std::type_identity_t<T> b) {
    return checked_op<T, mul_overflows<T>>(a, b);
}

template <typename T = std::int64_t>
T checked_neg(std::type_identity_t<T> a) {
    return checked_sub<T>(0, a);
}

template <typename T = std::int64_t>
T checked_abs(std::type_identity_t<T> a) {
    return a < 0 ? checked_neg<T>(a) : a;
}

// Narrows an exact 128-bit value; raises ArithmeticOverflow when it does not fit.
inline std::int64_t narrow(wide value) {
    if (value < INT64_MIN || value > INT64_MAX) overflow();
    return static_cast<std::int64_t>(value);
}

}  // namespace varnolt::primitives
