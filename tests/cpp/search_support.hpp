#pragma once
// Shared helpers of the search tests: Chern characters and candidate lists from
// integer triples, the list a find_all's runs stand for, and a search record
// that owns what it refers to.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
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
using tilt_stability::left_pseudo_semistabilizers::find_all;
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

// The message of an outcome, or "<candidates>" when it has a value.
template <typename T>
std::string message_of(const Outcome<T>& outcome) {
    return outcome ? std::string{"<candidates>"} : std::string{outcome.error()};
}

// One ChernChar<2> per candidate of a find_all, in order, or its message.
inline Outcome<Candidates> listed(const Outcome<CandidateRuns>& found) {
    if (!found) return std::unexpected(found.error());
    return found->expanded();
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
