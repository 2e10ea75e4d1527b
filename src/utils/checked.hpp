#pragma once
// Checked signed 64-bit arithmetic. Every sum, difference, product and
// negation in the core goes through these: a result outside the signed 64-bit
// range raises ArithmeticOverflow instead of wrapping, so no answer is ever
// computed from a wrapped value.
#include <cstdint>
#include <exception>

namespace varnolt::utils {

class ArithmeticOverflow : public std::exception {
public:
    const char* what() const noexcept override {
        return "arithmetic overflow: value outside the signed 64-bit range";
    }
};

[[noreturn]] inline void overflow() { throw ArithmeticOverflow{}; }

inline std::int64_t checked_add(std::int64_t a, std::int64_t b) {
    std::int64_t result;
    if (__builtin_add_overflow(a, b, &result)) overflow();
    return result;
}

inline std::int64_t checked_sub(std::int64_t a, std::int64_t b) {
    std::int64_t result;
    if (__builtin_sub_overflow(a, b, &result)) overflow();
    return result;
}

inline std::int64_t checked_mul(std::int64_t a, std::int64_t b) {
    std::int64_t result;
    if (__builtin_mul_overflow(a, b, &result)) overflow();
    return result;
}

inline std::int64_t checked_neg(std::int64_t a) { return checked_sub(0, a); }

inline std::int64_t checked_abs(std::int64_t a) { return a < 0 ? checked_neg(a) : a; }

// Narrows an exact 128-bit value; raises ArithmeticOverflow when it does not fit.
inline std::int64_t narrow(__int128 value) {
    if (value < INT64_MIN || value > INT64_MAX) overflow();
    return static_cast<std::int64_t>(value);
}

}  // namespace varnolt::utils
