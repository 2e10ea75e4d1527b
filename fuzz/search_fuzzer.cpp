// libFuzzer target on the search.
//
// Each input decodes to a Chern character v = (r, c, d). find_runs({v}), the
// search as the module calls it (and, for the class of a shifted object, as the
// package calls it: the search of −v), runs under a work budget, and its outcome is
// checked against the definition of a candidate recomputed here from scratch in
// 512-bit integers (no Ratio, no 64-bit intermediate): a wrong, missing,
// repeated or misplaced candidate, a failure of the wrong kind, an overflow
// report on small input or an internal stop other than "capacity overflow"
// aborts.
// Sanitizers catch the rest.
//
// Input layout. Byte 0 modulo 7 picks how the following bytes are read
// (signed little-endian integers; missing bytes read as 0):
//   0  r, c, d: 8 bits each
//   1  r, c, d: 16 bits each
//   2  r, c, d: 64 bits each, the whole range
//   3  r, j, s: 8 bits each, then c = r·j − s and d = j·(r·j − 2s)
//   4  r, j, s: 16 bits each, as in 3
//   5  r, j, s: 32 bits each, as in 3 (inputs whose c or d leaves 64 bits are skipped)
//   6  r = 0; c: 8 bits, d: 16 bits
// Layouts 3 to 5 give c² − r·d = s², a perfect square, so that β₋ is rational
// and the search really runs (most random triples have an irrational β₋).
// fuzz/make_seeds.py writes the seed corpus in this format.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/search.hpp"
#include "primitives/checked.hpp"
#include "primitives/stop.hpp"

namespace {

using varnolt::chern_character::ChernChar;
// The search's entry, its runs and failures, and its interrupt poll.
using namespace varnolt::tilt_stability;
using varnolt::primitives::Stop;
using varnolt::primitives::wide;

// Wide enough for every value below: from 64-bit r, c, d, β₋ = m/n has
// |m|, n < 2^66, so X < 2^131, and the largest values (X², r·m², d·n²) stay
// below 2^262.
using Wide = _BitInt(512);

// The search polls its interrupt check once every InterruptPoll::interval units
// of work (a value of q, a residue class of ranks, a rank with candidates);
// after this many polls it is stopped: about 50 000 units, enough for searches
// with thousands of ranks, while keeping hundreds of inputs a second under the
// sanitizers.
constexpr int budget_polls = 2;

// The full list is rebuilt independently (every admissible rank of every q,
// candidates or not) when that visits at most this many ranks.
constexpr std::int64_t rebuild_rank_limit = 200'000;

const ChernChar<2>* current = nullptr;  // for the report of a failed check

[[noreturn]] void fail(const char* what) {
    if (current != nullptr)
        std::fprintf(stderr, "search_fuzzer: %s, for v = (%lld, %lld, %lld)\n", what,
                     static_cast<long long>(current->r), static_cast<long long>(current->c.coeff),
                     static_cast<long long>(current->d.numerator));
    else
        std::fprintf(stderr, "search_fuzzer: %s\n", what);
    __builtin_trap();
}

void require(bool condition, const char* what) {
    if (!condition) fail(what);
}

// ---- Input decoding -------------------------------------------------------

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next `bytes` bytes as a signed little-endian integer.
    std::int64_t next(unsigned bytes) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) {
            const std::uint64_t byte = at_ < size_ ? data_[at_] : 0;
            ++at_;
            value |= byte << (8 * i);
        }
        if (bytes < 8 && (value >> (8 * bytes - 1)) != 0) value |= ~std::uint64_t{0} << (8 * bytes);
        return static_cast<std::int64_t>(value);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

bool fits_64(Wide x) { return x >= INT64_MIN && x <= INT64_MAX; }

// c = r·j − s, d = j·(r·j − 2s): then c² − r·d = s².
std::optional<ChernChar<2>> with_square_discriminant(std::int64_t r, std::int64_t j, std::int64_t s) {
    const Wide c = Wide{r} * j - s;
    const Wide d = Wide{j} * (Wide{r} * j - 2 * Wide{s});
    if (!fits_64(c) || !fits_64(d)) return std::nullopt;
    return ChernChar<2>{r, {static_cast<std::int64_t>(c)}, {static_cast<std::int64_t>(d)}};
}

std::optional<ChernChar<2>> decode(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return std::nullopt;
    Reader in(data + 1, size - 1);
    const auto triple = [&](unsigned bytes) {
        const std::int64_t a = in.next(bytes);
        const std::int64_t b = in.next(bytes);
        return std::array<std::int64_t, 3>{a, b, in.next(bytes)};
    };
    const auto raw = [](std::array<std::int64_t, 3> t) {
        return std::optional<ChernChar<2>>{ChernChar<2>{t[0], {t[1]}, {t[2]}}};
    };
    const auto square = [](std::array<std::int64_t, 3> t) { return with_square_discriminant(t[0], t[1], t[2]); };
    switch (data[0] % 7) {
        case 0: return raw(triple(1));
        case 1: return raw(triple(2));
        case 2: return raw(triple(8));
        case 3: return square(triple(1));
        case 4: return square(triple(2));
        case 5: return square(triple(4));
        default: {
            const std::int64_t c = in.next(1);
            return ChernChar<2>{0, {c}, {in.next(2)}};
        }
    }
}

// ---- Exact arithmetic -----------------------------------------------------
//
// The checker is left out of coverage instrumentation: its branches say nothing
// about the search, and the instrumented 512-bit arithmetic would dominate the
// run time. Int is wide (128 bits) where the bounds below allow it, Wide
// (512 bits) otherwise.
#define CHECKER __attribute__((no_sanitize("coverage")))

template <typename Int>
CHECKER Int abs_of(Int x) { return x < 0 ? -x : x; }

CHECKER Wide gcd_of(Wide a, Wide b) {
    a = abs_of(a);
    b = abs_of(b);
    while (b != 0) {
        const Wide t = a % b;
        a = b;
        b = t;
    }
    return a;
}

template <typename Int>
CHECKER Int floor_div(Int a, Int b) {  // b > 0
    const Int q = a / b;
    return (a % b < 0) ? q - 1 : q;
}

template <typename Int>
CHECKER Int mod_of(Int a, Int b) { return a - floor_div(a, b) * b; }  // in 0 … b − 1 for b > 0

// floor(√a) for a >= 0, by Newton's iteration from above.
CHECKER Wide isqrt(Wide a) {
    if (a < 2) return a;
    Wide x = a;
    Wide y = (x + 1) / 2;
    while (y < x) {
        x = y;
        y = (x + a / x) / 2;
    }
    return x;
}

// The inverse of a modulo n (n >= 2, gcd(a, n) = 1), by the extended Euclidean algorithm.
CHECKER Wide inverse_mod(Wide a, Wide n) {
    Wide old_r = mod_of(a, n), r = n, old_s = 1, s = 0;
    while (r != 0) {
        const Wide q = old_r / r;
        Wide t = old_r - q * r;
        old_r = r;
        r = t;
        t = old_s - q * s;
        old_s = s;
        s = t;
    }
    require(old_r == 1, "checker: m and n are not coprime");
    return mod_of(old_s, n);
}

bool small(Wide x, int bits) { return abs_of(x) <= (Wide{1} << bits); }

// ---- The definition of a candidate ----------------------------------------

// β₋ = m/n in lowest terms with n >= 1.
struct Beta {
    Wide m;
    Wide n;
};

// β₋(v) = (c − √(c² − r·d))/r for r ≠ 0 and (d/2)/c for r = 0; nothing when the
// root is irrational or r = c = 0.
CHECKER std::optional<Beta> exact_beta(const ChernChar<2>& v) {
    const Wide r = v.r, c = v.c.coeff, d = v.d.numerator;
    Wide numer, denom;
    if (r != 0) {
        const Wide discriminant = c * c - r * d;
        if (discriminant < 0) return std::nullopt;
        const Wide root = isqrt(discriminant);
        if (root * root != discriminant) return std::nullopt;
        numer = c - root;
        denom = r;
    } else {
        if (c == 0) return std::nullopt;
        numer = d;
        denom = 2 * c;
    }
    const Wide g = gcd_of(numer, denom);
    if (denom < 0) return Beta{-numer / g, -denom / g};
    return Beta{numer / g, denom / g};
}

// One search, in the integers k = n·q and A = 2n²·L: a candidate (r, c, d) has
// k = c·n − r·m with 0 < k < X, r >= 1, r·X > v.r·k, r <= X², and
// A < d·n² <= A + W, where W is the least of the caps that apply:
//   k²/r,  (X − k)²/(r − v.r) when r > v.r,  2k(X − k)/(v.r − 2r) when 2r < v.r.
// As d·n² − A is an integer, d·n² <= A + W exactly when d·n² − A <= floor(W).
//
// With |m|, n, X <= 2^30, every value below fits wide once a rank is known
// to be at most X² <= 2^60: A < 2^121, d·n² < 2^124, v.r·k < 2^94.
template <typename Int>
struct Definition {
    Int v_r, m, n, x;

    CHECKER Int a_of(Int r, Int k) const { return r * m * m + 2 * m * k; }

    // floor(W) at rank r and q = k/n.
    CHECKER Int w_floor(Int r, Int k) const {
        Int least = floor_div(k * k, r);
        const auto offer = [&](Int numer, Int denom) {
            const Int w = floor_div(numer, denom);
            if (w < least) least = w;
        };
        if (r > v_r) offer((x - k) * (x - k), r - v_r);
        if (2 * r < v_r) offer(2 * k * (x - k), v_r - 2 * r);
        return least;
    }
};

// Each run lists (r, c, d) for d_first <= d <= d_last. The conditions on d are
// one interval, so checking both ends checks every candidate of the run.
template <typename Int>
CHECKER void check_runs(const Definition<Int>& def, const CandidateRuns& found) {
    Int last_k = 0, last_r = 0;
    Wide count = 0;
    bool first = true;
    for (const CandidateRun& run : found.runs()) {
        const Int r = run.r, c = run.c, d_first = run.d_first, d_last = run.d_last;
        require(d_first <= d_last, "empty run");
        count += Wide{run.d_last} - run.d_first + 1;
        const Int k = c * def.n - r * def.m;
        require(0 < k && k < def.x, "candidate with q outside 0 < q < twisted ch1 of v");
        require(r >= 1, "candidate of rank below 1");
        require(r <= def.x * def.x, "candidate rank above X²");
        require(r * def.x > def.v_r * k, "candidate rank not above v.r·q over the twisted ch1 of v");
        const Int a = def.a_of(r, k), n2 = def.n * def.n;
        require(d_first * n2 - a > 0, "candidate ch2 not strictly above the radius bound");
        require(d_last * n2 - a <= def.w_floor(r, k), "candidate ch2 above the least upper bound");
        // Within a run d increases; across runs (q, rank) must increase.
        require(first || k > last_k || (k == last_k && r > last_r),
                "candidates not in strictly increasing order of (q, rank, ch2)");
        first = false;
        last_k = k;
        last_r = r;
    }
    require(count == Wide{found.size()}, "size() differs from the number of candidates in the runs");
}

// Walks the candidates of the runs one by one.
class CandidateCursor {
public:
    explicit CandidateCursor(const CandidateRuns& found) : runs_(found.runs()) {}

    bool at_end() const { return run_ == runs_.size(); }

    // The next candidate is (r, c, d); steps past it.
    CHECKER bool take(std::int64_t r, std::int64_t c, std::int64_t d) {
        if (at_end()) return false;
        const CandidateRun& run = runs_[run_];
        const std::int64_t here = run.d_first + offset_;
        if (run.r != r || run.c != c || here != d) return false;
        if (here == run.d_last) {
            ++run_;
            offset_ = 0;
        } else {
            ++offset_;
        }
        return true;
    }

private:
    const std::deque<CandidateRun>& runs_;
    std::size_t run_ = 0;
    std::int64_t offset_ = 0;
};

// Every admissible rank of every q: the exact list, compared candidate by candidate.
template <typename Int>
CHECKER void check_complete(const Definition<Int>& def, Int inverse, const CandidateRuns& found) {
    const Int m = def.m, n = def.n, x = def.x, n2 = n * n;
    CandidateCursor cursor(found);
    for (Int k = 1; k < x; ++k) {
        Int r = floor_div(def.v_r * k, x) + 1;
        if (r < 1) r = 1;
        if (n != 1) r += mod_of(mod_of(-k * inverse, n) - r, n);  // n divides r·m + k
        for (; r <= x * x; r += n) {
            require(mod_of(r * m + k, n) == 0, "checker: rank outside its residue class");
            const Int c = (r * m + k) / n;
            const Int a = def.a_of(r, k);
            const Int high = floor_div(a + def.w_floor(r, k), n2);
            for (Int d = floor_div(a, n2) + 1; d <= high; ++d) {
                require(!cursor.at_end(), "a candidate is missing (the list ends early)");
                require(cursor.take(static_cast<std::int64_t>(r), static_cast<std::int64_t>(c),
                                    static_cast<std::int64_t>(d)),
                        "the list differs from the complete enumeration");
            }
        }
    }
    require(cursor.at_end(), "the list holds more than the complete enumeration");
}

// The one-per-candidate form, for lists small enough to spell out.
CHECKER void check_expanded(const CandidateRuns& found) {
    constexpr std::size_t expand_limit = 1 << 16;
    if (found.size() > expand_limit) return;
    const Candidates all = found.expanded();
    require(all.size() == found.size(), "expanded() differs in length from size()");
    CandidateCursor cursor(found);
    for (const ChernChar<2>& u : all)
        require(cursor.take(u.r, u.c.coeff, u.d.numerator), "expanded() differs from the runs");
}

// Checks the runs, and rebuilds the list in full when that visits at most
// `rank_limit` ranks.
template <typename Int>
CHECKER void check_list(const ChernChar<2>& v, const Beta& beta, Wide x, const CandidateRuns& found,
                        Wide rank_limit) {
    const Definition<Int> def{Int(v.r), Int(beta.m), Int(beta.n), Int(x)};
    check_runs(def, found);
    check_expanded(found);
    const Wide ranks = x <= 1 ? Wide{0} : (x - 1) * (x * x / beta.n + 1);
    if (ranks > rank_limit) return;
    const Int inverse = beta.n == 1 ? Int{0} : Int(inverse_mod(beta.m, beta.n));
    check_complete(def, inverse, found);
}

// The overflow report is only right when some value the search needs leaves
// 64 bits. With |r|, |c|, |d| <= 2^20 and |m|, n <= 2^10, X <= 2^20, every such
// value (ranks up to X² <= 2^40, ch2 up to about X²·β², …) stays below 2^62.
CHECKER void check_overflow(const ChernChar<2>& v) {
    if (!small(v.r, 20) || !small(v.c.coeff, 20) || !small(v.d.numerator, 20)) return;
    const std::optional<Beta> beta = exact_beta(v);
    require(beta.has_value(), "overflow report instead of the irrational-β₋ message");
    const Wide x = Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m;
    require(!(small(beta->m, 10) && small(beta->n, 10) && small(x, 20)), "overflow report on small input");
}

// A failure is right only where its kind says: no rational β₋ for the first
// two kinds, a negative rank (whose search ends at its first q when X >= 2)
// for the third, and a value beyond 64 bits for an overflow.
CHECKER void check_failure(const ChernChar<2>& v, const std::optional<Beta>& beta,
                           const SearchFailure& failure) {
    switch (failure.kind) {
        case FailureKind::irrational_beta:
            require(!beta && v.r > 0, "irrational-β₋ failure for a rational β₋ or a rank <= 0");
            return;
        case FailureKind::no_real_beta:
            require(!beta, "no-real-β₋ failure for a rational β₋");
            return;
        case FailureKind::negative_rank:
            require(v.r < 0 && beta && Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m >= 2,
                    "negative-rank failure outside negative rank with X >= 2");
            return;
        case FailureKind::negative_rank_irrational:
            require(v.r < 0 && !beta, "negative-rank failure of an irrational β₋ for a rational one");
            return;
        case FailureKind::overflow:
            check_overflow(v);
            return;
        case FailureKind::off_lattice:
        case FailureKind::alpha_not_positive:
        case FailureKind::point_on_vertical_wall:
        case FailureKind::point_across_vertical_wall:
        case FailureKind::rank_bound_beyond_int64:
        case FailureKind::rank_bound_beyond_walk:
            break;  // the fuzzer asks for no surface, side or point: none of these can come
        case FailureKind::internal_fault:
            // "n must be positive", the two of modulo_inverse, "Mistake in
            // underlying modular arithmetic", "all upper bounds are None" need
            // wrapped arithmetic or a rank-0 record; with exact arithmetic none
            // of them can be reached.
            break;
    }
    std::fprintf(stderr, "search_fuzzer: internal fault: %s\n", failure.text);
    fail("internal fault of the search");
}

CHECKER void check(const ChernChar<2>& v, const SearchResult<CandidateRuns>& outcome) {
    const std::optional<Beta> beta = exact_beta(v);
    if (!outcome) return check_failure(v, beta, outcome.error());
    require(beta.has_value(), "a list for an irrational β₋");
    const Wide x = Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m;
    require(!(v.r < 0 && x >= 2), "a list for a negative rank with X >= 2");
    if (small(beta->m, 30) && small(beta->n, 30) && small(x, 30))
        check_list<wide>(v, *beta, x, *outcome, rebuild_rank_limit);
    else
        check_list<Wide>(v, *beta, x, *outcome, rebuild_rank_limit / 100);
}

// "capacity overflow" is only right past 2^64 − 1 candidates. With X <= 2^20 a
// rank has at most k²/(r·n²) + 1 <= 2^40 + 1 of them, and the budget ends the
// search within 2^16 ranks, so a list that large cannot be reached.
CHECKER void check_capacity_overflow(const ChernChar<2>& v) {
    const std::optional<Beta> beta = exact_beta(v);
    require(beta.has_value(), "capacity overflow for an irrational β₋");
    const Wide x = Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m;
    require(!small(x, 20), "capacity overflow for a search with X <= 2^20");
}

// Runs the request under a fresh work budget and checks its outcome against
// the definition of the candidates of v, the class it must list.
void search_and_check(const SearchRequest& request, const ChernChar<2>& v) {
    int polls = 0;
    InterruptPoll budget([&polls] { return ++polls > budget_polls; });
    try {
        const SearchResult<CandidateRuns> outcome = find_runs(request, budget);
        check(v, outcome);
    } catch (const Interrupted&) {
        // The budget ran out: a fine outcome, nothing to check.
    } catch (const Stop& stop) {
        // More candidates than a size can count: the one stop a search may give.
        if (std::string_view(stop.what()) != "capacity overflow") {
            std::fprintf(stderr, "search_fuzzer: internal stop: %s\n", stop.what());
            fail("internal stop in the search");
        }
        check_capacity_overflow(v);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "search_fuzzer: exception: %s\n", error.what());
        fail("unexpected exception from the search");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<ChernChar<2>> v = decode(data, size);
    if (!v) return -1;  // not added to the corpus
    current = &*v;
    search_and_check({*v}, *v);
    // The package's route takes a shifted class (r < 0, or r = 0 and c < 0) as
    // −v: its outcome is −v's (so never a negative-rank refusal), or an
    // overflow when −v leaves 64 bits.
    if (v->r < 0 || (v->r == 0 && v->c.coeff < 0)) {
        const SearchRequest shifted{.v = *v, .shifted_as_negated = true};
        if (v->r == INT64_MIN || v->c.coeff == INT64_MIN || v->d.numerator == INT64_MIN) {
            InterruptPoll never;
            const SearchResult<CandidateRuns> outcome = find_runs(shifted, never);
            require(!outcome && outcome.error().kind == FailureKind::overflow, "a shifted class beyond 64 bits");
        } else {
            search_and_check(shifted, ChernChar<2>{-v->r, {-v->c.coeff}, {-v->d.numerator}});
        }
    }
    current = nullptr;
    return 0;
}
