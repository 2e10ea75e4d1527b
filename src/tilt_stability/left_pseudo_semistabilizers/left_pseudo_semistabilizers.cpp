#include "tilt_stability/left_pseudo_semistabilizers/left_pseudo_semistabilizers.hpp"

#include <algorithm>

#include "ratio/gcd.hpp"
#include "tilt_stability/beta.hpp"
#include "tilt_stability/left_pseudo_semistabilizers/fixed_q_beta/fixed_q_beta.hpp"
#include "utils/modular.hpp"
#include "utils/rounding.hpp"

namespace varnolt::tilt_stability::left_pseudo_semistabilizers {

namespace {

// One past the last q_numer worth trying, for X > 1. The ranks of q = k/n lie
// strictly above v.r·k/X. When v.r >= 0 that is at least 0, so every rank is
// at least 1: a largest rank below 1 leaves no rank for any k. When v.r > 0
// it grows with k: once v.r·k >= r_max·X no rank is left, for this k and
// every later one. (When v.r < 0, k = 1 already has a bound below 1, which
// ends the search with its message.) k = 1 is always tried, so its messages
// are seen.
std::int64_t q_numer_end(const LeftSearchData& search, std::int64_t x) {
    const std::int64_t v_r = search.v.r;
    const wide r_max = search.largest_rank();
    if (v_r >= 0 && r_max < 1) return 2;
    if (v_r <= 0 || r_max >= v_r) return x;  // v.r·k < v.r·X <= r_max·X for every k < X
    // |r_max| < 2^63 here, so r_max·X fits in 128 bits.
    const wide end = utils::ceil_div(r_max * x, v_r);
    return static_cast<std::int64_t>(std::clamp<wide>(end, 2, x));
}

}  // namespace

Outcome<void> append_all(const ChernChar<2>& v, InterruptPoll& interrupt, RunSink& out,
                         const SearchOptions& options) {
    if (!has_real_beta(v)) return std::unexpected(not_real);
    const std::optional<Ratio> beta = β_(v);
    if (!beta) return std::unexpected(not_rational);
    const std::int64_t m = beta->numer;
    const std::int64_t n = beta->denom;

    const LeftSearchData search{utils::modulo_inverse(utils::floor_mod(m, n), n), v, *beta,
                                interrupt, options.rank_ceiling, options.c_modulus,
                                options.d_modulus};
    const auto report = [&] {
        if (options.visited) *options.visited = search.visited;
    };

    // A candidate of q = k/n has c = (k + r·m)/n. With g = gcd(m, c_modulus),
    // c_modulus | c gives g | n·c = k + r·m, and g | m, so g | k: a k that g
    // does not divide has no wanted candidate.
    // From the magnitudes (m may be −2^63); at most c_modulus >= 1, so it fits.
    const auto wanted_k = static_cast<std::int64_t>(
        ratio::binary_gcd(ratio::magnitude_of(m), static_cast<std::uint64_t>(options.c_modulus)));
    const std::int64_t x = search.x();
    const std::int64_t k_end = x > 1 ? q_numer_end(search, x) : x;
    // Progress counts the values of q: k − 1 of them are done when k starts.
    const std::int64_t steps = k_end > 1 ? k_end - 1 : 0;
    for (std::int64_t k = 1; k < k_end; ++k) {
        interrupt.report(k - 1, steps);
        interrupt.tick();
        // A negative rank is refused at its first q (every k gives a least
        // rank below 1), wanted or not, as when every c is wanted.
        if (wanted_k > 1 && k % wanted_k != 0 && v.r >= 0) continue;
        const Outcome<void> appended = fixed_q_beta::FixedQBetaData{search, k}.append_candidates(out);
        if (!appended) {
            report();
            return appended;
        }
    }
    interrupt.report(steps, steps);
    report();
    return {};
}

Outcome<CandidateRuns> find_all(const ChernChar<2>& v, InterruptPoll& interrupt, CandidateLimit limit) {
    return collected_runs([&](RunSink& out) { return append_all(v, interrupt, out); }, std::move(limit));
}

Outcome<CandidateRuns> find_all(const ChernChar<2>& v) {
    InterruptPoll never;
    return find_all(v, never);
}

}  // namespace varnolt::tilt_stability::left_pseudo_semistabilizers
