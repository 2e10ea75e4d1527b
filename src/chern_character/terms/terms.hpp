#pragma once
// The terms of a Chern character on a surface of Picard rank one with
// hyperplane class ℓ: ch1 = coeff·ℓ, ch2 = (numerator/N)·ℓ², and the rounding
// of rational bounds onto the lattice (1/N)·ℤ of possible ch2 values.
#include <cstdint>
#include <ostream>
#include <string>

#include "ratio/format.hpp"
#include "ratio/ratio.hpp"
#include "primitives/checked.hpp"
#include "utils/ratio_rounding.hpp"

namespace varnolt::chern_character::terms {

using ratio::Ratio;

struct Chern1 {
    std::int64_t coeff;
    bool operator==(const Chern1&) const = default;
};

// The numerator is stored unreduced: with N = 2, numerator 4 stands for 2·ℓ².
template <std::uint32_t N>
struct Chern2 {
    std::int64_t numerator;
    bool operator==(const Chern2&) const = default;
};

// "2ℓ", "-1ℓ", "0ℓ".
inline std::string to_string(const Chern1& c) { return std::to_string(c.coeff) + "ℓ"; }

// numerator/N in lowest terms followed by "ℓ²": "2ℓ²", "3/2ℓ²", "-1/2ℓ²".
template <std::uint32_t N>
std::string to_string(const Chern2<N>& d) {
    return ratio::fmt(Ratio::new_(d.numerator, N)) + "ℓ²";
}

// Writes text as it is: the displays of Chern characters ignore the stream's
// width, fill and alignment. The width is reset all the same, as any formatted
// output does, so that it does not carry over to the next item.
inline std::ostream& write_unformatted(std::ostream& out, const std::string& text) {
    out.width(0);
    return out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline std::ostream& operator<<(std::ostream& out, const Chern1& c) {
    return write_unformatted(out, to_string(c));
}

template <std::uint32_t N>
std::ostream& operator<<(std::ostream& out, const Chern2<N>& d) {
    return write_unformatted(out, to_string(d));
}

namespace detail {
// x·N in lowest terms, cancelling gcd(denom, N) first.
template <std::uint32_t N>
Ratio scaled_by(const Ratio& x) {
    const std::int64_t g = ratio::gcd(x.denom, N);
    return Ratio::new_(primitives::checked_mul(x.numer, N / g), x.denom / g);
}
}  // namespace detail

// The lattice value with the least numerator n such that n/N > x.
template <std::uint32_t N>
Chern2<N> least_greater_chern2(const Ratio& x) {
    return {utils::least_greater_int(detail::scaled_by<N>(x))};
}

// The lattice value with the greatest numerator n such that n/N <= x.
template <std::uint32_t N>
Chern2<N> greatest_lesser_or_eq_chern2(const Ratio& x) {
    return {utils::greatest_lesser_or_eq_int(detail::scaled_by<N>(x))};
}

}  // namespace varnolt::chern_character::terms
