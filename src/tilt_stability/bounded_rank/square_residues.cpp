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

SquareResidues::SquareResidues(std::int64_t r, std::int64_t first_c, wide beta_floor, std::int64_t s_squared)
    : modulus_(static_cast<std::uint64_t>(r)),
      bound_(static_cast<std::uint64_t>(s_squared)),
      two_(modulus_ > 2 ? 2 : 0) {
    const std::uint64_t x = residue(r, first_c, beta_floor);
    m_ = square_mod(x, modulus_);
    k_ = reduced(2 * x + 1);  // below 2·r: x < r
}

}  // namespace varnolt::tilt_stability::bounded_rank
