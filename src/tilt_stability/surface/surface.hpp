#pragma once
// The lattice of Chern characters on a surface X with Pic X = ℤ·ℓ, ℓ² = n
// (its degree), and how the search, which lists the classes of the lattice
// ch2 ∈ ½ℤ·ℓ² (d = 2·ch2 any integer), lists those of X.
//
// A class (r, c·ℓ, ch2·ℓ²) comes from a sheaf only when r, c and
// c₂ = c²·n/2 − n·ch2 are integers; with d = 2·ch2 that is
//   d ∈ c² + (2/n)ℤ.                                                    (L_n)
// n = 2 is the search's lattice (every integer d), n = 1 the projective
// plane (d ≡ c mod 2); for n >= 3 d need not be an integer.
//
// Scaling. The numerical conditions of the search and every wall are kept by
// (c, d, β, α) ↦ (λc, λ²d, λβ, λα): Z = −ch2^β + (α²/2)·r scales by λ², its
// twisted ch1 by λ, Δ by λ², the rank not at all. Let λ be the least positive
// integer with n | 2λ², and g = 2λ²/n. Then u ↦ u' = (r, λc, λ²d) maps L_n
// one-to-one onto the sublattice of ½ℤ
//   S = {(r, c', d') : c' ≡ 0 (mod λ), d' ≡ c'² (mod g)}.
// Proof: for d = c² + 2k/n (k ∈ ℤ), d' = λ²c² + g·k = c'² + g·k is an integer
// ≡ c'² (mod g). Conversely, for (r, c', d') ∈ S write c' = λc and
// d' = c'² + g·k; then d'/λ² = c² + g·k/λ² = c² + 2k/n ∈ L_n. So the
// candidates of v on X are the candidates of v' on ½ℤ that lie in S, mapped
// back by (c', d') ↦ (c'/λ, d'/λ²); they are searched as v' and kept by
// LatticeRuns. λ divides n (it is ∏ p^⌈e_p/2⌉ over odd p^e_p ∥ n, times
// 2^⌈(e_2 − 1)/2⌉), so λ² <= n²: n = 1 gives λ = 1, g = 2 (the plane's
// d ≡ c² ≡ c mod 2), n = 2 gives λ = g = 1, n = 4 gives λ = 2, g = 2.
#include <cstdint>

#include "chern_character/chern_character.hpp"
#include "tilt_stability/candidates/candidates.hpp"

namespace varnolt::tilt_stability::surface {

struct Surface {
    std::int64_t degree = 2;  // ℓ² = n, from 1 to largest_degree
    bool operator==(const Surface&) const = default;
};

inline constexpr Surface half_integral_ch2{2};  // every integer d
inline constexpr Surface projective_plane{1};   // d ≡ c (mod 2)
// Degrees beyond this are refused: λ² <= n² then stays below 2^62, and λ is
// found by trial division up to √n in microseconds.
inline constexpr std::int64_t largest_degree = (std::int64_t{1} << 31) - 1;

// λ and g = 2λ²/n of a surface of degree 1 … largest_degree (see above).
struct LatticeScale {
    std::int64_t lambda;
    std::int64_t step;  // g
};
LatticeScale lattice_scale(Surface surface);

// Whether v = (r, c, d) with d = v.d/d_denominator (d_denominator >= 1) lies
// on the lattice of surface: whether c₂ = n·(c² − d)/2 is an integer.
bool on_lattice(Surface surface, const chern_character::ChernChar<2>& v, std::int64_t d_denominator = 1);

// v' = (r, λc, λ²d) of a v on the lattice of surface; ArithmeticOverflow when
// it leaves 64 bits.
chern_character::ChernChar<2> scaled(Surface surface, const chern_character::ChernChar<2>& v,
                                     std::int64_t d_denominator = 1);

// Passes to out the part of each run (of step 1) that lies in S: nothing when
// c ≢ 0 (mod λ), otherwise the d ≡ c² (mod g) as a run of step g (nothing when
// the run holds none). The cost per run is constant, so a count stays in
// constant memory.
class LatticeRuns final : public RunSink {
public:
    LatticeRuns(Surface surface, RunSink& out)
        : lambda_(lattice_scale(surface).lambda), step_(lattice_scale(surface).step),
          run_step_(lattice_scale(surface).step), out_(out) {}
    void append(const CandidateRun& run) override;
    // The runs passed on keep their r and c, which the search's order reads.
    void order_by(const RunOrder& before) override { out_.order_by(before); }

private:
    // x mod a fixed modulus (1 to 2^32) in [0, modulus): a mask for a power of two.
    struct Reduction {
        explicit Reduction(std::int64_t m)
            : modulus(static_cast<std::uint64_t>(m)), mask((modulus & (modulus - 1)) == 0 ? modulus - 1 : 0) {}
        std::uint64_t of_unsigned(std::uint64_t x) const { return mask != 0 || modulus == 1 ? x & mask : x % modulus; }
        // x mod m of the two's complement of x: right for negative x as 2^64 ≡ 0 (mod m) only when m
        // is a power of two, so others take the signed remainder.
        std::uint64_t of(std::int64_t x) const {
            if (mask != 0 || modulus == 1) return static_cast<std::uint64_t>(x) & mask;
            const std::int64_t r = x % static_cast<std::int64_t>(modulus);
            return static_cast<std::uint64_t>(r < 0 ? r + static_cast<std::int64_t>(modulus) : r);
        }
        std::uint64_t modulus;
        std::uint64_t mask;
    };
    Reduction lambda_;
    Reduction step_;
    std::int64_t run_step_;
    RunSink& out_;
};

}  // namespace varnolt::tilt_stability::surface
