#include "tilt_stability/surface/surface.hpp"


#include "primitives/checked.hpp"
#include "ratio/gcd.hpp"
#include "primitives/stop.hpp"

namespace varnolt::tilt_stability::surface {

namespace {

// gcd(numerator, denominator) for denominator >= 1, from the magnitudes (exact
// for a numerator of −2^63): at most the denominator, so it fits, and >= 1.
std::int64_t common_divisor(std::int64_t numerator, std::int64_t denominator) {
    return static_cast<std::int64_t>(
        ratio::binary_gcd(ratio::magnitude_of(numerator), static_cast<std::uint64_t>(denominator)));
}

}  // namespace

// λ = ∏ p^⌈e/2⌉ over the odd p^e ∥ n, times 2^⌈(e − 1)/2⌉ for 2^e ∥ n: the
// least λ with v_p(2λ²) = 2·v_p(λ) (+1 for p = 2) >= v_p(n) for every p.
LatticeScale lattice_scale(Surface surface) {
    std::int64_t n = surface.degree;
    if (n < 1 || n > largest_degree) primitives::stop("a surface's degree must be 1 to 2^31 - 1");
    std::int64_t lambda = 1;
    for (std::int64_t p = 2; p * p <= n; ++p) {
        int e = 0;
        for (; n % p == 0; n /= p) ++e;
        for (int i = 0; i < (p == 2 ? e : e + 1) / 2; ++i) lambda *= p;
    }
    if (n > 2) lambda *= n;  // a last odd prime, e = 1
    return {lambda, 2 * lambda * lambda / surface.degree};
}

// With d = a/b in lowest terms, c₂ = n·(c²·b − a)/(2b). b is coprime to
// c²·b − a (a common prime would divide a), so b | n is needed; then
// c₂ = (n/b)·(c²·b − a)/2, an integer when (n/b)·(c·b − a) is even
// (c² ≡ c mod 2).
bool on_lattice(Surface surface, const chern_character::ChernChar<2>& v, std::int64_t d_denominator) {
    if (surface.degree < 1 || surface.degree > largest_degree || d_denominator < 1) return false;
    const std::int64_t common = common_divisor(v.d.numerator, d_denominator);
    const std::int64_t b = d_denominator / common;
    const std::uint64_t a = static_cast<std::uint64_t>(v.d.numerator / common);
    if (surface.degree % b != 0) return false;
    const std::uint64_t quotient = static_cast<std::uint64_t>(surface.degree / b);
    const std::uint64_t c = static_cast<std::uint64_t>(v.c.coeff);
    return (quotient * (c * static_cast<std::uint64_t>(b) - a) & 1U) == 0;  // parity survives wrapping
}

// d' = λ²·a/b is an integer for v on the lattice, and b | λ² as a/b is in
// lowest terms.
chern_character::ChernChar<2> scaled(Surface surface, const chern_character::ChernChar<2>& v,
                                     std::int64_t d_denominator) {
    const LatticeScale scale = lattice_scale(surface);
    const std::int64_t common = common_divisor(v.d.numerator, d_denominator);
    const std::int64_t b = d_denominator / common;
    const std::int64_t lambda_squared = scale.lambda * scale.lambda;
    if (lambda_squared % b != 0) primitives::stop("scaled: v is not on the surface's lattice");
    return {v.r, {primitives::checked_mul(scale.lambda, v.c.coeff)},
            {primitives::checked_mul(lambda_squared / b, v.d.numerator / common)}};
}

// The kept d are d_first + ((c² − d_first) mod g) + g·j up to
// d_last − ((d_last − c²) mod g): two offsets below g <= 2n < 2^32, found in
// 64 bits ((c mod g)² < 2^64), the first within the run's span exactly when
// the run holds a kept d; both ends then lie inside the run, so they fit.
// A run costs a few reductions, masks when λ and g are powers of two (as for
// n = 1, 2, 4, 8, 16, …), divisions otherwise.
void LatticeRuns::append(const CandidateRun& run) {
    if (run.d_step != 1) primitives::stop("LatticeRuns takes the search's runs of step 1");
    if (lambda_.of(run.c) != 0) return;
    if (step_.modulus == 1) {
        out_.append(run);
        return;
    }
    const std::uint64_t g = step_.modulus;
    const std::uint64_t c_mod = step_.of(run.c);
    const std::uint64_t square = step_.of_unsigned(c_mod * c_mod);
    const std::uint64_t first_mod = step_.of(run.d_first);
    const std::uint64_t to_first = square >= first_mod ? square - first_mod : square + g - first_mod;
    if (to_first > run.span()) return;
    const std::uint64_t last_mod = step_.of(run.d_last);
    const std::uint64_t from_last = last_mod >= square ? last_mod - square : last_mod + g - square;
    const auto first = static_cast<std::int64_t>(static_cast<std::uint64_t>(run.d_first) + to_first);
    const auto last = static_cast<std::int64_t>(static_cast<std::uint64_t>(run.d_last) - from_last);
    out_.append(CandidateRun(run.r, run.c, first, last, run_step_));
}

}  // namespace varnolt::tilt_stability::surface
