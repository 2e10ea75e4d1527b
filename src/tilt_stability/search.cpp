#include "tilt_stability/search.hpp"

#include "tilt_stability/above/over_point_runs.hpp"
#include "tilt_stability/above/rank_bound.hpp"
#include "tilt_stability/beta.hpp"
#include "tilt_stability/bounded_rank/bounded_rank.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "tilt_stability/side/mirrored_runs.hpp"
#include "primitives/checked.hpp"

namespace varnolt::tilt_stability {

namespace {

using utils::BigInt;

using left_pseudo_semistabilizers::not_rational;
using left_pseudo_semistabilizers::not_real;

std::unexpected<SearchFailure> refused(FailureKind kind, utils::Message text, const ChernChar<2>& v,
                                       std::string detail = {}) {
    return std::unexpected(SearchFailure{kind, text, v, std::move(detail)});
}

// Why the request cannot be searched, in the order a caller reads its
// arguments: v, its surface, the point, the point's side.
SearchResult<void> judged(const SearchRequest& request) {
    const ChernChar<2>& v = request.v;
    if (request.surface.degree < 1 || request.surface.degree > surface::largest_degree)
        return refused(FailureKind::internal_fault, "a surface's degree must be 1 to 2^31 - 1", v);
    if (!surface::on_lattice(request.surface, v, request.d_denominator))
        return refused(FailureKind::off_lattice, "v is not on the lattice of the surface", v);
    // Δ's sign is that of v' = lattice_v(request), as is whether r = c = 0.
    if (!has_real_beta(lattice_v(request))) return refused(FailureKind::no_real_beta, not_real, v);
    if (!request.above) return {};
    const above::Point& point = *request.above;
    if (point.beta_denominator.sign() <= 0 || point.alpha_denominator.sign() <= 0)
        return refused(FailureKind::internal_fault, "a point's denominator is not positive", v);
    if (point.alpha_numerator.sign() <= 0) return refused(FailureKind::alpha_not_positive, "α <= 0", v);
    if (v.r <= 0) return {};
    // β0 = n/m against c/r, m > 0 and r > 0: the sign of n·r − c·m.
    const int across = (point.beta_numerator * v.r - BigInt(v.c.coeff) * point.beta_denominator).sign();
    if (across == 0) return refused(FailureKind::point_on_vertical_wall, "the point is on the vertical wall", v);
    if ((across < 0) != (request.side == Side::left))
        return refused(FailureKind::point_across_vertical_wall, "the point is across the vertical wall", v);
    return {};
}

// The rational search's only message for sound input is the negative rank's
// (its first rank bound is negative exactly when v.r < 0); the others mean a
// broken invariant.
SearchResult<void> rational_search(const ChernChar<2>& v, std::optional<std::int64_t> max_rank,
                                   surface::LatticeScale scale, InterruptPoll& interrupt, RunSink& out) {
    const utils::Outcome<void> done = left_pseudo_semistabilizers::append_all(
        v, interrupt, out, {.rank_ceiling = max_rank, .c_modulus = scale.lambda, .d_modulus = scale.step});
    if (done) return {};
    return refused(v.r < 0 ? FailureKind::negative_rank : FailureKind::internal_fault, done.error(), v);
}

// The left search of v (real β₋), by rank bound and β₋. The walk by q takes
// only positive ranks. Only the candidates in the sublattice S of scale are
// wanted (λ | c, d ≡ c² mod g).
SearchResult<void> left_search(const ChernChar<2>& v, std::optional<std::int64_t> max_rank, bool rational,
                               surface::LatticeScale scale, InterruptPoll& interrupt, RunSink& out) {
    if (rational) return rational_search(v, max_rank, scale, interrupt, out);
    if (v.r < 0) return refused(FailureKind::negative_rank_irrational, not_rational, v);
    if (!max_rank) return refused(FailureKind::irrational_beta, not_rational, v);
    bounded_rank::append_bounded_runs(v, *max_rank, interrupt, out, scale.lambda);
    return {};
}

// The point σ(λβ, λα) of the scaled coordinates.
above::Point scaled(const above::Point& point, std::int64_t lambda) {
    return {point.beta_numerator * BigInt(lambda), point.beta_denominator, point.alpha_numerator * BigInt(lambda),
            point.alpha_denominator};
}

// The sinks between the search and out, innermost first: the surface's
// lattice, the point, the mirror; each in constant time per run. Everything
// below the judgement is in the coordinates of lattice_v.
SearchResult<void> judged_search(const SearchRequest& request, InterruptPoll& interrupt, RunSink& out) {
    if (const SearchResult<void> judgement = judged(request); !judgement) return judgement;
    const bool mirrored = request.side == Side::right && request.v.r > 0;
    const ChernChar<2> v = lattice_v(request);
    const surface::LatticeScale scale = surface::lattice_scale(request.surface);
    const std::int64_t lambda = scale.lambda;
    // The dual (r, −c, d) shares Δ with v: β₋ of both is rational or neither.
    const ChernChar<2> searched = mirrored ? ChernChar<2>{v.r, {primitives::checked_neg(v.c.coeff)}, v.d} : v;
    const bool rational = β_(searched).has_value();
    std::optional<std::int64_t> max_rank = request.max_rank;
    std::optional<above::Point> point;
    if (request.above) {
        const above::Point scaled_point = lambda == 1 ? *request.above : scaled(*request.above, lambda);
        point = mirrored ? above::mirrored(scaled_point) : scaled_point;
        const auto bound = above::rank_bound(searched, *point, max_rank, !rational && v.r > 0);
        if (!bound)
            return bound.error().beyond_int64
                       ? refused(FailureKind::rank_bound_beyond_int64, "beyond the signed 64-bit range of the search",
                                 request.v, bound.error().bound)
                       : refused(FailureKind::rank_bound_beyond_walk, above::walkable_ranks_text, request.v,
                                         bound.error().bound);
        max_rank = *bound;
    }
    side::MirroredRuns mirror(out);
    RunSink& after_point = mirrored ? static_cast<RunSink&>(mirror) : out;
    std::optional<above::OverPointRuns> over_point;
    if (point) over_point.emplace(searched, *point, after_point);
    RunSink& after_surface = point ? static_cast<RunSink&>(*over_point) : after_point;
    surface::LatticeRuns restricted(request.surface, after_surface);
    RunSink& first = request.surface == surface::half_integral_ch2 ? after_surface : static_cast<RunSink&>(restricted);
    SearchResult<void> done = left_search(searched, max_rank, rational, scale, interrupt, first);
    if (!done) done.error().v = request.v;  // the request's v, not its dual
    return done;
}

}  // namespace

ChernChar<2> searched_v(const SearchRequest& request) {
    const ChernChar<2>& v = request.v;
    if (!request.shifted_as_negated || v.r > 0 || (v.r == 0 && v.c.coeff >= 0)) return v;
    using primitives::checked_neg;
    return {checked_neg<std::int64_t>(v.r), {checked_neg<std::int64_t>(v.c.coeff)},
            {checked_neg<std::int64_t>(v.d.numerator)}};
}

ChernChar<2> lattice_v(const SearchRequest& request) {
    const ChernChar<2> v = searched_v(request);
    if (request.surface == surface::half_integral_ch2 && request.d_denominator == 1) return v;
    return surface::scaled(request.surface, v, request.d_denominator);
}

SearchResult<void> run_search(const SearchRequest& request, InterruptPoll& interrupt, RunSink& out) {
    try {
        // A shifted class taken as negated is searched as −v from here on: its
        // lattice is that of v (c₂(−v) = n·c² − c₂(v) is an integer with c₂(v)),
        // and past the negation its rank is positive, or 0 with c > 0 (c = 0 has
        // no β₋), so no route below sees a negative rank. A failure names the
        // request's v.
        SearchRequest searched = request;
        searched.v = searched_v(request);
        searched.shifted_as_negated = false;
        SearchResult<void> done = judged_search(searched, interrupt, out);
        if (!done) done.error().v = request.v;
        return done;
    } catch (const primitives::ArithmeticOverflow& overflow) {
        return refused(FailureKind::overflow, overflow.what(), request.v);
    }
}

SearchResult<CandidateRuns> find_runs(const SearchRequest& request, InterruptPoll& interrupt,
                                      CandidateLimit limit) {
    CandidateRuns found(std::move(limit));
    const SearchResult<void> done = run_search(request, interrupt, found);
    if (!done) return std::unexpected(done.error());
    return found;
}

SearchResult<uwide> count_candidates(const SearchRequest& request, InterruptPoll& interrupt) {
    CandidateCount count;
    const SearchResult<void> done = run_search(request, interrupt, count);
    if (!done) return std::unexpected(done.error());
    return count.total();
}

}  // namespace varnolt::tilt_stability
