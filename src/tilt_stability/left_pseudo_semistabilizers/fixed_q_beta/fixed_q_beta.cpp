#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"

#include <limits>

#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "utils/checked.hpp"
#include "utils/stop.hpp"
#include "utils/utils.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta {

using utils::checked_add;
using utils::checked_mul;
using utils::checked_sub;

// A candidate of rank r has ch1 coefficient c = q + r·β = (k + r·m)/n, an
// integer exactly when n divides k + r·m: the admissible ranks form one residue
// class modulo n, and c grows by m for each step of n in rank. The rank is
// bounded below, strictly, by v.r·q over the twisted ch1 of v, which is
// v.r·k/X, and above by X².
Outcome<Candidates> FixedQBetaData::find_all() const {
    const ChernChar<2>& v = search.v;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t k = q_numer;

    const std::int64_t x = checked_sub(checked_mul(v.c.coeff, n), checked_mul(v.r, m));
    const std::int64_t r_min = utils::least_greater_int(Ratio::new_(checked_mul(v.r, k), x));
    if (r_min < 1) return std::unexpected("Internal logical error: Negative lower bound on r");
    if (n < 1) return std::unexpected("n must be positive");

    // The first admissible rank: r0 ≡ −i·k (mod n) for the inverse i of m.
    std::int64_t r0 = r_min;
    if (n != 1) {
        if (!search.m_inverse) return std::unexpected(search.m_inverse.error());
        std::int64_t shift =
            utils::guarded_rem(checked_sub(checked_mul(-*search.m_inverse, k), r_min), n);
        if (shift < 0) shift += n;
        r0 = checked_add(r_min, shift);
    }
    const std::int64_t r0_term = checked_add(checked_mul(r0, m), k);
    if (utils::guarded_rem(r0_term, n) != 0)
        return std::unexpected("Internal logical error: Mistake in underlying modular arithmetic");
    const std::int64_t c0 = utils::guarded_div(r0_term, n);

    // The largest admissible rank, X², from the twisted ch1 s = X/n of v.
    const Ratio s = ratio::mul(-search.beta, v.r) + v.c.coeff;
    Ratio t = ratio::pow(s, 2);
    t = ratio::mul(t, 2);
    t = ratio::mul(t, checked_mul(n, n));
    t = ratio::div(t, 2);
    const std::int64_t r_max = ratio::to_integer(t);

    // The rank step is a 32-bit size count. (Unreachable in practice: n above
    // 2^32 has already overflowed n·n above.)
    if (n > std::numeric_limits<std::uint32_t>::max())
        utils::stop("called `Result::unwrap()` on an `Err` value: TryFromIntError(())");

    Candidates found;
    std::int64_t r = r0;
    std::int64_t c = c0;
    while (r <= r_max) {
        search.interrupt.tick();
        Outcome<Candidates> for_rank = fixed_r::ProblemData{*this, r, c}.find_all();
        if (!for_rank) return std::unexpected(for_rank.error());
        found.insert(found.end(), for_rank->begin(), for_rank->end());
        // The ranks end where the next one would leave the 64-bit range.
        if (__builtin_add_overflow(r, n, &r)) break;
        c = checked_add(c, m);
    }
    return found;
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta
