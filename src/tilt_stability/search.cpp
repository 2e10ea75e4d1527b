#include "tilt_stability/search.hpp"

#include "tilt_stability/beta.hpp"
#include "tilt_stability/bounded_rank/bounded_rank.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"
#include "primitives/checked.hpp"

namespace varnolt::tilt_stability {

namespace {

constexpr utils::Message not_rational = "β_ is not rational: ∞ walls";

// Why v without a rational β₋ has no list. The walk by q takes only positive
// ranks; β₋ irrational needs c² − r·d > 0 (and not a square, as β_ found).
FailureKind without_rational_beta(const ChernChar<2>& v) {
    if ((v.r == 0 && v.c.coeff == 0) || chern_character::discriminant(v) < 0)
        return FailureKind::no_real_beta;
    return v.r < 0 ? FailureKind::negative_rank : FailureKind::irrational_beta;
}

// The rational search's only message for sound input is the negative rank's
// (its first rank bound is negative exactly when v.r < 0); the others mean a
// broken invariant.
SearchResult<void> rational_search(const SearchRequest& request, InterruptPoll& interrupt,
                                   RunSink& out) {
    const utils::Outcome<void> done = left_pseudo_semistabilizers::append_all(
        request.v, interrupt, out, {.rank_ceiling = request.max_rank});
    if (done) return {};
    const FailureKind kind = request.v.r < 0 ? FailureKind::negative_rank : FailureKind::internal_fault;
    return std::unexpected(SearchFailure{kind, done.error()});
}

SearchResult<void> routed_search(const SearchRequest& request, InterruptPoll& interrupt,
                                 RunSink& out) {
    if (β_(request.v)) return rational_search(request, interrupt, out);
    const FailureKind kind = without_rational_beta(request.v);
    if (kind != FailureKind::irrational_beta || !request.max_rank)
        return std::unexpected(SearchFailure{kind, not_rational});
    bounded_rank::append_bounded_runs(request.v, *request.max_rank, interrupt, out);
    return {};
}

// The same, restricted to the request's surface.
SearchResult<void> search_on_surface(const SearchRequest& request, InterruptPoll& interrupt,
                                     RunSink& out) {
    if (request.surface == surface::Surface::projective_plane) {
        surface::ProjectivePlaneRuns restricted(out);
        return routed_search(request, interrupt, restricted);
    }
    return routed_search(request, interrupt, out);
}

}  // namespace

SearchResult<void> run_search(const SearchRequest& request, InterruptPoll& interrupt, RunSink& out) {
    try {
        return search_on_surface(request, interrupt, out);
    } catch (const primitives::ArithmeticOverflow& overflow) {
        return std::unexpected(SearchFailure{FailureKind::overflow, overflow.what()});
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
