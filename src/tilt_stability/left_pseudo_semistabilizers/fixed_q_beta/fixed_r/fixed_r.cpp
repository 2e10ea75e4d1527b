#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"

#include <optional>

#include "chern_character/terms/terms.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "utils/checked.hpp"
#include "utils/stop.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r {

using utils::checked_mul;
using utils::checked_sub;

// The three upper bounds cap the candidate's twisted ch2 (ch2 − L) at
// q²/(2r), δ²/(2(r − v.r)) and δ·q/(v.r − 2r), each where its divisor is
// positive; δ = s − q is the twisted ch1 of v minus that of the candidate.
Outcome<Candidates> ProblemData::find_all() const {
    const LeftSearchData& search = fixed_q_beta.search;
    const ChernChar<2>& v = search.v;
    const Ratio lower = bound_on_d::lower::radius_condition_prob2(*this);
    const Ratio q = Ratio::new_(fixed_q_beta.q_numer, search.beta.denom);
    const auto delta = [&] { return ratio::sub(ratio::mul(-search.beta, v.r) + v.c.coeff, q); };

    std::optional<Ratio> upper;
    const auto offer = [&](const Ratio& bound) {
        if (!upper || ratio::cmp(*upper, bound) == ratio::Ordering::Greater) upper = bound;
    };
    if (r > 0)  // upper_bound_positive_r
        offer(ratio::add(lower, ratio::div(ratio::pow(q, 2), checked_mul(2, r))));
    if (v.r < r)  // upper_bound_r_above_v
        offer(ratio::add(lower, ratio::div(ratio::pow(delta(), 2), checked_mul(2, checked_sub(r, v.r)))));
    if (checked_mul(2, r) < v.r)  // upper_bound_r_below_half_v
        offer(ratio::add(lower, ratio::div(delta() * q, checked_sub(v.r, checked_mul(2, r)))));
    if (!upper) return std::unexpected("logical error, all upper bounds are None");

    const std::int64_t d_min = chern_character::terms::least_greater_chern2<2>(lower).numerator;
    const std::int64_t d_max = chern_character::terms::greatest_lesser_or_eq_chern2<2>(*upper).numerator;
    Candidates found;
    if (d_min > d_max) return found;
    const auto count = static_cast<unsigned __int128>(static_cast<__int128>(d_max) - d_min + 1);
    if (count > found.max_size()) utils::stop("capacity overflow");
    found.reserve(static_cast<std::size_t>(count));
    for (std::int64_t d = d_min;; ++d) {
        search.interrupt.tick();
        found.push_back({r, {c}, {d}});
        if (d == d_max) break;
    }
    return found;
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r
