#pragma once
// The record of one search at a rational β₋, shared read-only by every stage
// below the driver.
#include <cstdint>
#include <optional>
#include <utility>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"
#include "tilt_stability/candidates/candidates.hpp"
#include "tilt_stability/interrupt.hpp"
#include "primitives/checked.hpp"
#include "utils/message.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

using chern_character::ChernChar;
using ratio::Ratio;
using utils::Message;
using utils::Outcome;
using primitives::uwide;
using primitives::wide;

// What a search visited: the ranks whose ch2 range it computed, and the
// residue classes of ranks (modulo n², per q) whose run of ranks it computed.
struct SearchStats {
    std::uint64_t ranks_visited = 0;
    std::uint64_t classes_visited = 0;
};

struct LeftSearchData {
    // The inverse of m modulo n, or the message that says why there is none;
    // stored as it came, read only when n ≠ 1.
    Outcome<std::int64_t> m_inverse;
    const ChernChar<2>& v;
    Ratio beta;  // β₋(v) = m/n
    InterruptPoll& interrupt;
    // A further bound on the candidates' rank, r <= rank_ceiling besides
    // r <= X²; none: X² alone.
    std::optional<std::int64_t> rank_ceiling = std::nullopt;
    // Only the candidates whose c is a multiple of this (>= 1) are wanted: the
    // stages may skip the ranks whose c is not.
    std::int64_t c_modulus = 1;
    // Only the candidates with d ≡ c² (mod this) (>= 1) are wanted: the
    // stages may skip the ranks that hold none.
    std::int64_t d_modulus = 1;
    // Counted by the stages as they go; not part of the search's data.
    mutable SearchStats visited = {};

    // X = v.c·n − v.r·m, n times the twisted ch1 of v: q = k/n ranges over 0 < k < X.
    std::int64_t x() const {
        return primitives::checked_sub(primitives::checked_mul(v.c.coeff, beta.denom),
                                  primitives::checked_mul(v.r, beta.numer));
    }

    // The largest rank of a candidate, min(X², rank_ceiling), exact in 128 bits.
    wide largest_rank() const {
        const wide x_squared = static_cast<wide>(x()) * x();
        return rank_ceiling && *rank_ceiling < x_squared ? *rank_ceiling : x_squared;
    }
};

// What append(out) hands a sink, held as runs under limit, or its message:
// the find_all of each stage over its sink-filling append.
template <typename Append>
Outcome<CandidateRuns> collected_runs(Append&& append, CandidateLimit limit = {}) {
    CandidateRuns found(std::move(limit));
    const Outcome<void> appended = append(found);
    if (!appended) return std::unexpected(appended.error());
    return found;
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
