#include "per_rank_search.hpp"

#include <optional>

#include "chern_character/terms/terms.hpp"
#include "utils/ratio_rounding.hpp"
#include "tilt_stability/beta.hpp"
#include "primitives/checked.hpp"
#include "utils/modular.hpp"
#include "primitives/stop.hpp"

namespace varnolt_oracle {

using namespace varnolt;
using ratio::Ratio;
using ratio::pow;
using primitives::checked_add;
using primitives::checked_mul;
using primitives::checked_sub;

namespace {

using Result = std::expected<std::vector<Candidate>, const char*>;

struct Search {
    const Candidate& v;
    Ratio beta;
    std::expected<std::int64_t, const char*> m_inverse;
    std::uint64_t ranks_visited = 0;
};

Result fixed_rank(const Search& search, std::int64_t k, std::int64_t r, std::int64_t c) {
    const Candidate& v = search.v;
    const Ratio lower = radius_bound(search.beta, k, r);
    const Ratio q = Ratio::new_(k, search.beta.denom);
    const Ratio delta = ratio::sub(ratio::mul(-search.beta, v.r) + v.c.coeff, q);
    std::optional<Ratio> upper;
    const auto offer = [&](const Ratio& bound) {
        if (!upper || ratio::cmp(*upper, bound) == ratio::Ordering::Greater) upper = bound;
    };
    if (r > 0) offer(ratio::add(lower, ratio::div(pow(q, 2), checked_mul(2, r))));
    if (v.r < r)
        offer(ratio::add(lower, ratio::div(pow(delta, 2), checked_mul(2, checked_sub(r, v.r)))));
    if (checked_mul(2, r) < v.r)
        offer(ratio::add(lower, ratio::div(delta * q, checked_sub(v.r, checked_mul(2, r)))));
    if (!upper) return std::unexpected("logical error, all upper bounds are None");
    const std::int64_t d_min = chern_character::terms::least_greater_chern2<2>(lower).numerator;
    const std::int64_t d_max = chern_character::terms::greatest_lesser_or_eq_chern2<2>(*upper).numerator;
    std::vector<Candidate> found;
    for (std::int64_t d = d_min; d <= d_max; ++d) found.push_back({r, {c}, {d}});
    return found;
}

Result fixed_q(Search& search, std::int64_t k) {
    const Candidate& v = search.v;
    const std::int64_t m = search.beta.numer;
    const std::int64_t n = search.beta.denom;
    const std::int64_t x = checked_sub(checked_mul(v.c.coeff, n), checked_mul(v.r, m));
    const std::int64_t r_min = utils::least_greater_int(Ratio::new_(checked_mul(v.r, k), x));
    if (r_min < 1) return std::unexpected("Internal logical error: Negative lower bound on r");
    if (n < 1) return std::unexpected("n must be positive");
    if (n != 1 && !search.m_inverse) return std::unexpected(search.m_inverse.error());
    // The first rank whose ch1 (k + r·m)/n is an integer, by a plain scan: m
    // and n are coprime, so one of n consecutive ranks has it.
    std::int64_t r0 = r_min;
    while (checked_add(checked_mul(r0, m), k) % n != 0) r0 = checked_add(r0, 1);
    const std::int64_t r0_term = checked_add(checked_mul(r0, m), k);
    Ratio t = pow(ratio::mul(-search.beta, v.r) + v.c.coeff, 2);
    t = ratio::div(ratio::mul(ratio::mul(t, 2), checked_mul(n, n)), 2);
    const std::int64_t r_max = ratio::to_integer(t);

    std::vector<Candidate> found;
    std::int64_t c = r0_term / n;
    for (std::int64_t r = r0; r <= r_max; r += n, c = checked_add(c, m)) {
        ++search.ranks_visited;
        Result for_rank = fixed_rank(search, k, r, c);
        if (!for_rank) return for_rank;
        found.insert(found.end(), for_rank->begin(), for_rank->end());
        if (r > INT64_MAX - n) break;
    }
    return found;
}

}  // namespace

Ratio radius_bound(const Ratio& beta, std::int64_t q_numer, std::int64_t r) {
    const Ratio q = Ratio::new_(q_numer, beta.denom);
    return ratio::add(ratio::div(ratio::mul(pow(beta, 2), r), 2), beta * q);
}

PerRankOutcome per_rank_find_all(const Candidate& v) {
    // No real β₋: c² < r·d, or r = c = 0 (in 128 bits, as c² − r·d may not fit 64).
    const auto c = static_cast<primitives::wide>(v.c.coeff);
    if ((v.r == 0 && v.c.coeff == 0) || c * c < static_cast<primitives::wide>(v.r) * v.d.numerator)
        return {std::unexpected("β_ is not real: no walls")};
    const std::optional<Ratio> beta = tilt_stability::β_(v);
    if (!beta) return {std::unexpected("β_ is not rational: ∞ walls")};
    const std::int64_t m = beta->numer;
    const std::int64_t n = beta->denom;
    std::int64_t a = m % n;
    if (a < 0) a += n;
    Search search{v, *beta, utils::modulo_inverse(a, n)};
    const std::int64_t x = checked_sub(checked_mul(v.c.coeff, n), checked_mul(v.r, m));
    std::vector<Candidate> found;
    for (std::int64_t k = 1; k < x; ++k) {
        Result for_q = fixed_q(search, k);
        if (!for_q) return {std::unexpected(for_q.error()), search.ranks_visited};
        found.insert(found.end(), for_q->begin(), for_q->end());
    }
    return {std::move(found), search.ranks_visited};
}

}  // namespace varnolt_oracle
