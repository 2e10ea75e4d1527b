#pragma once
// Shared helpers of the search tests: Chern characters and candidate lists from
// integer triples, and a search record that owns what it refers to.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/bound_on_d/lower/lower.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_r/fixed_r.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

namespace varnolt::test::search {

using chern_character::ChernChar;
using ratio::Ratio;
using tilt_stability::CandidateCount;
using tilt_stability::CandidateLimit;
using tilt_stability::CandidateRuns;
using tilt_stability::Candidates;
using tilt_stability::InterruptPoll;
using tilt_stability::left_pseudo_semistabilizers::LeftSearchData;
using tilt_stability::left_pseudo_semistabilizers::SearchOptions;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::FixedQBetaData;
using tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r::ProblemData;
using utils::Outcome;

using Triple = std::array<std::int64_t, 3>;

// (r, c, d) with ch1 = c·ℓ and ch2 = d/2·ℓ².
inline ChernChar<2> chern(const Triple& t) { return {t[0], {t[1]}, {t[2]}}; }

inline Candidates candidates(std::initializer_list<Triple> triples) {
    Candidates list;
    for (const Triple& t : triples) list.push_back(chern(t));
    return list;
}

// The candidates (r, c, d) for d = first, ..., last (none when first > last).
inline Candidates d_range(std::int64_t r, std::int64_t c, std::int64_t first, std::int64_t last) {
    Candidates list;
    for (std::int64_t d = first; d <= last; ++d) list.push_back(chern({r, c, d}));
    return list;
}

// The message of a stage's outcome, or "<candidates>" when it has a list.
inline std::string message_of(const Outcome<Candidates>& outcome) {
    return outcome ? std::string{"<candidates>"} : std::string{outcome.error()};
}

// The rational search's candidates held as runs, or its first message. Throws
// CandidateLimitReached as soon as they number more than limit allows.
inline Outcome<CandidateRuns> find_all_runs(const ChernChar<2>& v, InterruptPoll& interrupt,
                                            CandidateLimit limit = {}, const SearchOptions& options = {}) {
    CandidateRuns found(std::move(limit));
    const Outcome<void> appended = tilt_stability::left_pseudo_semistabilizers::append_all(v, interrupt, found, options);
    if (!appended) return std::unexpected(appended.error());
    return found;
}

// How many candidates there are, in constant memory, or the first message.
inline Outcome<primitives::uwide> count_all(const ChernChar<2>& v, InterruptPoll& interrupt) {
    CandidateCount count;
    const Outcome<void> appended = tilt_stability::left_pseudo_semistabilizers::append_all(v, interrupt, count);
    if (!appended) return std::unexpected(appended.error());
    return count.total();
}

// What a sink-filling stage appends, one ChernChar<2> per candidate.
template <typename Append>
Outcome<Candidates> expanded(Append&& append) {
    CandidateRuns found;
    const Outcome<void> appended = append(found);
    if (!appended) return std::unexpected(appended.error());
    return found.expanded();
}

inline Outcome<Candidates> find_all(const ChernChar<2>& v, InterruptPoll& interrupt,
                                    const SearchOptions& options = {}) {
    return expanded([&](CandidateRuns& out) {
        return tilt_stability::left_pseudo_semistabilizers::append_all(v, interrupt, out, options);
    });
}

inline Outcome<Candidates> find_all(const ChernChar<2>& v, const SearchOptions& options = {}) {
    InterruptPoll never;
    return find_all(v, never, options);
}

// The candidates of one q, by rank, then d.
inline Outcome<Candidates> find_all(const FixedQBetaData& fixed_q) {
    return expanded([&](CandidateRuns& out) { return fixed_q.append_candidates(out); });
}

// The candidates of one rank of one q, by d.
inline Outcome<Candidates> find_all(const ProblemData& problem) {
    using namespace tilt_stability::left_pseudo_semistabilizers::fixed_q_beta::fixed_r;
    const LatticeBound lower = bound_on_d::lower::radius_condition_prob2(problem);
    return expanded([&](CandidateRuns& out) {
        return problem.append_candidates(Caps(problem.fixed_q_beta), lower, out);
    });
}

// A search record together with the Chern character and the (never
// interrupting) poll it refers to, so a stage can be run on chosen data.
struct Search {
    ChernChar<2> v;
    InterruptPoll poll;
    LeftSearchData data;

    Search(const Triple& v_triple, Ratio beta, Outcome<std::int64_t> m_inverse)
        : v(chern(v_triple)), poll(), data{m_inverse, v, beta, poll} {}
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;
};

}  // namespace varnolt::test::search
