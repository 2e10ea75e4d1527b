#include "tilt_stability/bounded_rank/square_residues.hpp"

#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::bounded_rank {

namespace {

using primitives::uwide;
using primitives::wide;

// c mod r from x = c − r·f (see the header): x in [1, r] for the first c of a
// rank; a division for any other c. |f| < 2^64 (|β| < 2^63 + 2^32) and
// r < 2^63, so x takes no more than 128 bits.
std::uint64_t residue(std::int64_t r, std::int64_t c, wide beta_floor) {
    const wide x = wide{c} - wide{r} * beta_floor;
    if (x >= 1 && x <= r) return x == r ? 0 : static_cast<std::uint64_t>(x);
    return static_cast<std::uint64_t>(utils::floor_mod(c, r));
}

// residue² mod r, in 64 bits when r < 2^32 (residue² < 2^64 then).
std::uint64_t square_mod(std::uint64_t residue, std::uint64_t r) {
    if (r < (std::uint64_t{1} << 32)) return residue * residue % r;
    return static_cast<std::uint64_t>(static_cast<uwide>(residue) * residue % r);
}

}  // namespace

template <bool Stepped>
SquareResidues<Stepped>::SquareResidues(std::int64_t r, std::int64_t first_c, std::int64_t c, std::int64_t step,
                                        wide beta_floor, std::int64_t s_squared)
    : modulus_(static_cast<std::uint64_t>(r)),
      bound_(static_cast<std::uint64_t>(s_squared)),
      twice_step_squared_(modulus_ > 2 ? 2 : 0) {
    const std::uint64_t x = residue(r, c, beta_floor);
    m_ = square_mod(x, modulus_);
    if constexpr (!Stepped) {
        // c = first_c, step 1: j = 0, so (j + 1)² = 1 and 2λ(j + 1) + λ² = 3.
        k_ = reduced(2 * x + 1);  // below 2·r: x < r
    } else {
        // Unsigned arithmetic modulo 2^64, exact whenever the true value fits:
        // as (j + 1)² and (j + 1 + λ)² do for every visited c (j + 1 <= S + 1).
        const auto next = static_cast<std::uint64_t>(c - first_c) + 1;
        const auto lambda = static_cast<std::uint64_t>(step);
        square_ = next * next;
        odd_ = 2 * lambda * next + lambda * lambda;
        twice_step_squared_in_full_ = 2 * lambda * lambda;
        // (2x + l)·l mod r and 2l² mod r for l = λ mod r: in 64 bits when
        // r < 2^31 (x, l < r, so (2x + l)·l < 3·2^62), else in 128.
        const std::uint64_t l = lambda < modulus_ ? lambda : lambda % modulus_;
        if (modulus_ < (std::uint64_t{1} << 31)) {
            twice_step_squared_ = 2 * l * l % modulus_;
            k_ = (2 * x + l) * l % modulus_;
        } else {
            twice_step_squared_ = static_cast<std::uint64_t>(2 * uwide{l} * l % modulus_);
            k_ = static_cast<std::uint64_t>((2 * uwide{x} + l) * l % modulus_);
        }
    }
}

template class SquareResidues<false>;
template class SquareResidues<true>;

}  // namespace varnolt::tilt_stability::bounded_rank
