// libFuzzer target on the search.
//
// Each input decodes to a request: v = (r, c, d), and for the surface layouts
// a surface of degree n, d's denominator, the side, and whether a shifted
// class is searched as −v. run_search, the search as the package calls it (the
// module's find_all runs the same stages), runs under a work budget, and its
// outcome is checked against the definition of a candidate recomputed here
// from scratch in 512-bit integers (no Ratio, no 64-bit intermediate), in the
// coordinates the search works in: v' = (r, λc, λ²d) for the least λ with n |
// 2λ² (found here from n's factors). The list must be exactly the candidates
// of v' (or, for the right side of a positive rank, of its dual (r, −λc, λ²d),
// mirrored) that lie on the surface's lattice, in the search's order: a wrong,
// missing, repeated or misplaced candidate, a failure of the wrong kind (an
// off-lattice v is refused as such, and only it), an overflow report on small
// input or an internal stop other than "capacity overflow" aborts. Sanitizers
// catch the rest.
//
// Input layout. Byte 0 below 128, modulo 7, picks how the following bytes are
// read (signed little-endian integers; missing bytes read as 0):
//   0  r, c, d: 8 bits each
//   1  r, c, d: 16 bits each
//   2  r, c, d: 64 bits each, the whole range
//   3  r, j, s: 8 bits each, then c = r·j − s and d = j·(r·j − 2s)
//   4  r, j, s: 16 bits each, as in 3
//   5  r, j, s: 32 bits each, as in 3 (inputs whose c or d leaves 64 bits are skipped)
//   6  r = 0; c: 8 bits, d: 16 bits
// Layouts 3 to 5 give c² − r·d = s², a perfect square, so that β₋ is rational
// and the search really runs (most random triples have an irrational β₋).
// These search the ½ℤ lattice of ch2, and a shifted class (r < 0, or r = 0 and
// c < 0) also as −v.
//
// Byte 0 from 128 on is a surface layout; with o = byte 0 − 128:
//   o mod 4       the form of v (below);
//   o / 4 mod 3   the width of its integers: 8, 16 or 32 bits;
//   o / 12 mod 2  the right side; o / 24 mod 2  a shifted class as −v;
//   o / 48        d's numerator and denominator both multiplied by 1, 2 or 3.
// Byte 1 picks the degree n: below 192, 1 + (byte mod 12); below 224, one of
// notable_degrees; otherwise 1 + (the next 4 bytes, unsigned) modulo 2^31 − 1.
// Then the integers of the form:
//   0  r, c, c₂: d = c² − 2c₂/n, always on the lattice
//   1  r, c, j: d = x·(2c − r·x) with x = j'/λ, the roots of r·β² − 2c·β + d
//      being x and 2c/r − x, so that β₋ is rational; j' is the first of
//      j, j + 1, … (fewer than min(g, 64) tries), then λ·j, λ·(j + 1), that
//      puts v on the lattice (g = 2λ²/n); none: the input is skipped
//   2  as 1, trying λ·j, λ·(j + 1) first (x an integer)
//   3  r, c, d's numerator, then one unsigned byte: d's denominator − 1; often
//      off the lattice.
// fuzz/make_seeds.py writes the seed corpus in this format.
#include <array>
#include <cstddef>
#include <cstdint>
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
// candidates or not) when that visits at most this many ranks; otherwise (and
// for a search the budget stopped) its beginning is, up to a tenth of them.
constexpr std::int64_t rebuild_rank_limit = 200'000;

// The request under test, for the report of a failed check.
const SearchRequest* current = nullptr;

[[noreturn]] void fail(const char* what) {
    if (current != nullptr) {
        const ChernChar<2>& v = current->v;
        std::fprintf(stderr,
                     "search_fuzzer: %s, for v = (%lld, %lld, %lld/%lld) on the surface of degree %lld, %s side%s\n",
                     what, static_cast<long long>(v.r), static_cast<long long>(v.c.coeff),
                     static_cast<long long>(v.d.numerator), static_cast<long long>(current->d_denominator),
                     static_cast<long long>(current->surface.degree),
                     current->side == Side::right ? "right" : "left",
                     current->shifted_as_negated ? ", shifted class as -v" : "");
    } else {
        std::fprintf(stderr, "search_fuzzer: %s\n", what);
    }
    __builtin_trap();
}

void require(bool condition, const char* what) {
    if (!condition) fail(what);
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

bool fits_64(Wide x) { return x >= INT64_MIN && x <= INT64_MAX; }

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

// ---- The surface's lattice -----------------------------------------------
//
// On a surface of degree n a class (r, c, d) (d = 2·ch2) lies on the lattice
// when c₂ = n·(c² − d)/2 is an integer. With λ the least positive integer with
// n | 2λ², the search works in v' = (r, λc, λ²d); a class (r, c', d') of those
// coordinates is on the lattice when λ | c' and c₂ = n·(c'² − d')/(2λ²) is an
// integer, that is 2λ² | n·(c'² − d').

// The least λ >= 1 with n | 2λ²: for each prime p^e ∥ n, v_p(2λ²) =
// 2·v_p(λ) + [p = 2] >= e asks v_p(λ) >= ⌈(e − [p = 2])/2⌉, and the product
// of those powers is the least such λ. Trial division: n < 2^31.
CHECKER std::int64_t least_lambda(std::int64_t n) {
    std::int64_t lambda = 1, rest = n;
    for (std::int64_t p = 2; p * p <= rest; ++p) {
        int e = 0;
        for (; rest % p == 0; rest /= p) ++e;
        for (int i = 0; i < (e - (p == 2 ? 1 : 0) + 1) / 2; ++i) lambda *= p;
    }
    if (rest > 2) lambda *= rest;  // a last prime factor, of exponent 1
    require(Wide{2} * lambda * lambda % n == 0, "checker: n does not divide 2λ²");
    return lambda;
}

// The lattice in the search's coordinates. The condition on d' is periodic
// with period 2λ²/gcd(n, 2λ²) = 2λ²/n: a run of the search steps by it.
template <typename Int>
struct Lattice {
    Int lambda, degree, modulus;  // modulus = 2λ²

    Int period() const { return modulus / degree; }

    // Whether (r, c', d') is on the lattice; modulus <= 2^63 and n < 2^31
    // keep every product below 2^127.
    CHECKER bool holds(Int c, Int d) const {
        if (mod_of(c, lambda) != 0) return false;
        const Int c_mod = mod_of(c, modulus);
        const Int difference = mod_of(mod_of(c_mod * c_mod, modulus) - mod_of(d, modulus), modulus);
        return mod_of(degree * difference, modulus) == 0;
    }
};

// ---- The list against the definition --------------------------------------

// A run of the list, seen as candidates of the searched class: a right-side
// run of classes (−r', c', −d) turned back into the dual's (r', c', d).
struct Row {
    std::int64_t r, c, d_first, d_last, d_step;
};

CHECKER std::vector<Row> rows_of(const CandidateRuns& found, bool mirrored) {
    std::vector<Row> rows;
    for (const CandidateRun& run : found.runs()) {
        if (!mirrored) {
            rows.push_back({run.r, run.c, run.d_first, run.d_last, run.d_step});
            continue;
        }
        require(run.r != INT64_MIN && run.d_first != INT64_MIN && run.d_last != INT64_MIN &&
                    run.d_step != INT64_MIN,
                "a right-side run that mirrors no candidate");
        rows.push_back({-run.r, run.c, -run.d_first, -run.d_last, -run.d_step});
    }
    return rows;
}

// Each run lists (r, c, d) for d = d_first, d_first + step, …, d_last. The
// conditions on d are one interval and the run's step is the lattice's period
// of d, so checking both ends (and one step beyond each) checks that the run
// holds exactly the rank's candidates on the lattice.
template <typename Int>
CHECKER void check_runs(const Definition<Int>& def, const Lattice<Int>& lattice, const std::vector<Row>& rows,
                        std::size_t size) {
    Int last_k = 0, last_r = 0;
    Wide count = 0;
    bool first = true;
    const Int n2 = def.n * def.n;
    for (const Row& run : rows) {
        const Int r = run.r, c = run.c, d_first = run.d_first, d_last = run.d_last, step = run.d_step;
        require(step == lattice.period(), "a run whose step is not the lattice's period of ch2");
        require(d_first <= d_last && (d_last - d_first) % step == 0, "a run that does not end on its last ch2");
        count += Wide{(d_last - d_first) / step} + 1;
        const Int k = c * def.n - r * def.m;
        require(0 < k && k < def.x, "candidate with q outside 0 < q < twisted ch1 of v");
        require(r >= 1, "candidate of rank below 1");
        require(r <= def.x * def.x, "candidate rank above X²");
        require(r * def.x > def.v_r * k, "candidate rank not above v.r·q over the twisted ch1 of v");
        require(lattice.holds(c, d_first), "a candidate off the surface's lattice");
        const Int a = def.a_of(r, k), w = def.w_floor(r, k);
        require(d_first * n2 - a > 0, "candidate ch2 not strictly above the radius bound");
        require(d_last * n2 - a <= w, "candidate ch2 above the least upper bound");
        require((d_first - step) * n2 - a <= 0, "a candidate on the lattice missing below a run");
        require((d_last + step) * n2 - a > w, "a candidate on the lattice missing above a run");
        // Within a run d increases; across runs (q, rank) must increase.
        require(first || k > last_k || (k == last_k && r > last_r),
                "candidates not in strictly increasing order of (q, rank, ch2)");
        first = false;
        last_k = k;
        last_r = r;
    }
    require(count == Wide{size}, "size() differs from the number of candidates in the runs");
}

// Walks the candidates of the rows one by one.
class CandidateCursor {
public:
    explicit CandidateCursor(const std::vector<Row>& rows) : rows_(rows) {
        if (!rows_.empty()) next_d_ = rows_[0].d_first;
    }

    bool at_end() const { return at_ == rows_.size(); }

    // The next candidate is (r, c, d); steps past it.
    CHECKER bool take(std::int64_t r, std::int64_t c, std::int64_t d) {
        if (at_end()) return false;
        const Row& row = rows_[at_];
        if (row.r != r || row.c != c || next_d_ != d) return false;
        if (next_d_ == row.d_last) {
            ++at_;
            if (!at_end()) next_d_ = rows_[at_].d_first;
        } else {
            next_d_ += row.d_step;
        }
        return true;
    }

private:
    const std::vector<Row>& rows_;
    std::size_t at_ = 0;
    Wide next_d_ = 0;
};

// Every admissible rank of every q: the exact list, compared candidate by
// candidate, or its beginning: the enumeration stops after step_limit values
// of q, ranks and candidates, and at the end of a list that is only a prefix
// (of a search the budget stopped). A rank r > k² has none (floor(k²/r) = 0
// leaves no room for d·n² − A > 0). A candidate on the lattice has λ | c, and
// n·c = k + r·m then makes gcd(m, λ) divide k: the other k have none. As
// n | 2λ², the d of a c with λ | c on the lattice are those with
// 2λ²/n | c² − d.
template <typename Int>
CHECKER void check_enumeration(const Definition<Int>& def, const Lattice<Int>& lattice, Int inverse, Int wanted_k,
                               const std::vector<Row>& rows, bool whole_list, Int step_limit) {
    const Int m = def.m, n = def.n, x = def.x, n2 = n * n, period = lattice.period();
    CandidateCursor cursor(rows);
    Int steps = 0;
    for (Int k = wanted_k; k < x; k += wanted_k) {
        if (++steps > step_limit) return;
        Int r = floor_div(def.v_r * k, x) + 1;
        if (r < 1) r = 1;
        if (n != 1) r += mod_of(mod_of(-k * inverse, n) - r, n);  // n divides r·m + k
        const Int r_end = k * k < x * x ? k * k : x * x;
        for (; r <= r_end; r += n) {
            if (++steps > step_limit) return;
            require(mod_of(r * m + k, n) == 0, "checker: rank outside its residue class");
            const Int c = (r * m + k) / n;
            if (mod_of(c, lattice.lambda) != 0) continue;
            const Int a = def.a_of(r, k);
            const Int low = floor_div(a, n2) + 1, high = floor_div(a + def.w_floor(r, k), n2);
            const Int c_mod = mod_of(c, period);
            for (Int d = low + mod_of(c_mod * c_mod - low, period); d <= high; d += period) {
                require(lattice.holds(c, d), "checker: a d ≡ c² (mod 2λ²/n) off the lattice");
                if (++steps > step_limit || (!whole_list && cursor.at_end())) return;
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
    const std::vector<Row> rows = rows_of(found, false);
    CandidateCursor cursor(rows);
    for (const ChernChar<2>& u : all)
        require(cursor.take(u.r, u.c.coeff, u.d.numerator), "expanded() differs from the runs");
}

// What the request lists: the candidates of `searched` (v', or for the right
// side of a positive rank its dual) on the lattice, mirrored or not.
struct Expected {
    ChernChar<2> searched;
    bool mirrored;
    std::int64_t lambda;
    std::int64_t degree;
};

// Checks the runs, and rebuilds the list in full when that visits at most
// `rank_limit` ranks, else its beginning; a list the budget stopped is a
// prefix of the whole.
template <typename Int>
CHECKER void check_list(const Expected& expected, const Beta& beta, Wide x, const CandidateRuns& found,
                        bool whole_list, Wide rank_limit) {
    const ChernChar<2>& v = expected.searched;
    const Definition<Int> def{Int(v.r), Int(beta.m), Int(beta.n), Int(x)};
    const Lattice<Int> lattice{Int(expected.lambda), Int(expected.degree),
                               Int(2 * Wide{expected.lambda} * expected.lambda)};
    const std::vector<Row> rows = rows_of(found, expected.mirrored);
    check_runs(def, lattice, rows, found.size());
    check_expanded(found);
    const Wide wanted_k = gcd_of(beta.m, expected.lambda);
    const Wide ranks = x <= 1 ? Wide{0} : (x - 1) / wanted_k * ((x - 1) * (x - 1) / beta.n + 1);
    const Int inverse = beta.n == 1 ? Int{0} : Int(inverse_mod(beta.m, beta.n));
    const bool in_full = whole_list && ranks <= rank_limit;
    check_enumeration(def, lattice, inverse, Int(wanted_k), rows, whole_list,
                      Int(in_full ? x + 2 * ranks + Wide{found.size()} : rank_limit / 10));
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
// for the third, and a value beyond 64 bits for an overflow. v is the
// searched class.
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
            fail("off-lattice refusal of a v on the lattice");
        case FailureKind::alpha_not_positive:
        case FailureKind::point_on_vertical_wall:
        case FailureKind::point_across_vertical_wall:
        case FailureKind::rank_bound_beyond_int64:
        case FailureKind::rank_bound_beyond_walk:
            break;  // the fuzzer asks for no point: none of these can come
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

// The outcome the request must have before any search, or what it lists. In
// the order the request is read: a shifted class taken as −v (which must fit
// 64 bits), v on the lattice, v' = (r, λc, λ²d) in 64 bits, a real β₋, and
// for the right side of a positive rank the dual (r, −λc, λ²d) in 64 bits.
struct Judgement {
    std::optional<FailureKind> refusal;
    Expected expected;
};

CHECKER Judgement judgement_of(const SearchRequest& request) {
    const ChernChar<2>& v = request.v;
    const bool negated = request.shifted_as_negated && (v.r < 0 || (v.r == 0 && v.c.coeff < 0));
    const Wide sign = negated ? -1 : 1;
    const Wide r = sign * v.r, c = sign * v.c.coeff, d = sign * v.d.numerator;
    const Wide n = request.surface.degree, denominator = request.d_denominator;
    if (!fits_64(r) || !fits_64(c) || !fits_64(d)) return {FailureKind::overflow, {}};
    if (mod_of(n * (c * c * denominator - d), 2 * denominator) != 0) return {FailureKind::off_lattice, {}};
    const std::int64_t lambda = least_lambda(request.surface.degree);
    const Wide scaled_c = lambda * c, scaled_d_times_denominator = Wide{lambda} * lambda * d;
    require(scaled_d_times_denominator % denominator == 0, "checker: λ²d of a class on the lattice is no integer");
    const Wide scaled_d = scaled_d_times_denominator / denominator;
    if (!fits_64(scaled_c) || !fits_64(scaled_d)) return {FailureKind::overflow, {}};
    const bool mirrored = request.side == Side::right && r > 0;
    if (mirrored && !fits_64(-scaled_c)) {
        const bool real = scaled_c * scaled_c - r * scaled_d >= 0;
        return {real ? FailureKind::overflow : FailureKind::no_real_beta, {}};
    }
    const ChernChar<2> searched{static_cast<std::int64_t>(r),
                                {static_cast<std::int64_t>(mirrored ? -scaled_c : scaled_c)},
                                {static_cast<std::int64_t>(scaled_d)}};
    return {std::nullopt, {searched, mirrored, lambda, request.surface.degree}};
}

CHECKER void check(const SearchRequest& request, const SearchResult<void>& outcome, const CandidateRuns& found,
                   bool whole_list) {
    const Judgement judgement = judgement_of(request);
    if (judgement.refusal) {
        require(!outcome && outcome.error().kind == *judgement.refusal,
                *judgement.refusal == FailureKind::off_lattice ? "a v off the lattice not refused as off_lattice"
                                                               : "not refused as the request's v or v' demands");
        return;
    }
    const Expected& expected = judgement.expected;
    const ChernChar<2>& v = expected.searched;
    const std::optional<Beta> beta = exact_beta(v);
    if (!outcome) return check_failure(v, beta, outcome.error());
    require(beta.has_value(), "a list for an irrational β₋");
    const Wide x = Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m;
    // A negative rank with X >= 2 is refused at its first q, before the budget can stop it.
    require(!(v.r < 0 && x >= 2), "a list for a negative rank with X >= 2");
    if (small(beta->m, 30) && small(beta->n, 30) && small(x, 30))
        check_list<wide>(expected, *beta, x, found, whole_list, rebuild_rank_limit);
    else
        check_list<Wide>(expected, *beta, x, found, whole_list, rebuild_rank_limit / 100);
}

// "capacity overflow" is only right past 2^64 − 1 candidates. With X <= 2^20 a
// rank has at most k²/(r·n²) + 1 <= 2^40 + 1 of them, and the budget ends the
// search within 2^16 ranks, so a list that large cannot be reached.
CHECKER void check_capacity_overflow(const SearchRequest& request) {
    const Judgement judgement = judgement_of(request);
    require(!judgement.refusal, "capacity overflow for a request that must be refused");
    const ChernChar<2>& v = judgement.expected.searched;
    const std::optional<Beta> beta = exact_beta(v);
    require(beta.has_value(), "capacity overflow for an irrational β₋");
    const Wide x = Wide{v.c.coeff} * beta->n - Wide{v.r} * beta->m;
    require(!small(x, 20), "capacity overflow for a search with X <= 2^20");
}

// Runs the request under a fresh work budget and checks its outcome against
// the definition of the candidates it must list.
void search_and_check(const SearchRequest& request) {
    current = &request;
    int polls = 0;
    InterruptPoll budget([&polls] { return ++polls > budget_polls; });
    CandidateRuns found;
    try {
        const SearchResult<void> outcome = run_search(request, budget, found);
        check(request, outcome, found, true);
    } catch (const Interrupted&) {
        // The budget ran out: a fine outcome for a search that runs; what it
        // listed is the beginning of the list.
        check(request, {}, found, false);
    } catch (const Stop& stop) {
        // More candidates than a size can count: the one stop a search may give.
        if (std::string_view(stop.what()) != "capacity overflow") {
            std::fprintf(stderr, "search_fuzzer: internal stop: %s\n", stop.what());
            fail("internal stop in the search");
        }
        check_capacity_overflow(request);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "search_fuzzer: exception: %s\n", error.what());
        fail("unexpected exception from the search");
    }
    current = nullptr;
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

// c = r·j − s, d = j·(r·j − 2s): then c² − r·d = s².
std::optional<ChernChar<2>> with_square_discriminant(std::int64_t r, std::int64_t j, std::int64_t s) {
    const Wide c = Wide{r} * j - s;
    const Wide d = Wide{j} * (Wide{r} * j - 2 * Wide{s});
    if (!fits_64(c) || !fits_64(d)) return std::nullopt;
    return ChernChar<2>{r, {static_cast<std::int64_t>(c)}, {static_cast<std::int64_t>(d)}};
}

// Byte 0 below 128: v of the ½ℤ lattice.
std::optional<ChernChar<2>> decode_half_integral(const std::uint8_t* data, std::size_t size) {
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

// Degrees beyond 1 to 12: primes, squares, the largest degree, and degrees
// on both sides of g = 64, the largest g whose ranks are split by d (g = 62
// for 31 and 124, 57 for 114; 65 for 130, 66 for 33, 74 for 37, 134 for 67).
constexpr std::array<std::int64_t, 32> notable_degrees = {
    13, 16, 18, 24, 25, 27, 31, 32, 33, 35, 37, 50, 62, 64, 65, 67,
    97, 114, 124, 128, 130, 134, 210, 1000, 1009, 4096, 65521, 65536, 65537, 1 << 30, 2147483646, 2147483647};

// The first x of those tried with v' = (r, λc, x·(2λc − r·x)) on the lattice:
// c'² − r·d' = (λc − r·x)² is a square, so β₋ is rational, and
// c₂ = (c'² − d')/g with c'² − d' = λ²c² − 2λc·x + r·x², g = 2λ²/n.
CHECKER std::optional<Wide> root_on_lattice(Wide r, Wide c, Wide j, Wide lambda, Wide g, bool integral_first) {
    const auto on = [&](Wide x) { return mod_of(lambda * lambda * c * c - 2 * lambda * c * x + r * x * x, g) == 0; };
    const auto near = [&]() -> std::optional<Wide> {
        for (Wide t = 0; t < g && t < 64; ++t)
            if (on(j + t)) return j + t;
        return std::nullopt;
    };
    const auto integral = [&]() -> std::optional<Wide> {
        for (Wide t = 0; t < 2; ++t)
            if (on(lambda * (j + t))) return lambda * (j + t);
        return std::nullopt;
    };
    if (integral_first) {
        if (const auto x = integral()) return x;
        return near();
    }
    if (const auto x = near()) return x;
    return integral();
}

// Byte 0 from 128 on: a request on a surface (see the input layout above).
std::optional<SearchRequest> decode_surface(const std::uint8_t* data, std::size_t size) {
    const unsigned options = data[0] - 128U;
    Reader in(data + 1, size - 1);
    const unsigned form = options % 4;
    const unsigned width = std::array<unsigned, 3>{1, 2, 4}[options / 4 % 3];
    const auto unsigned_byte = [&in] { return static_cast<std::uint8_t>(in.next(1)); };
    const std::uint8_t pick = unsigned_byte();
    const std::int64_t n = pick < 192   ? 1 + pick % 12
                           : pick < 224 ? notable_degrees[pick - 192]
                                        : 1 + static_cast<std::uint32_t>(in.next(4)) % surface::largest_degree;
    const Wide r = in.next(width), c = in.next(width), third = in.next(width);
    Wide numerator, denominator;
    switch (form) {
        case 0:
            numerator = n * c * c - 2 * third;
            denominator = n;
            break;
        case 1:
        case 2: {
            const Wide lambda = least_lambda(n);
            const std::optional<Wide> x = root_on_lattice(r, c, third, lambda, 2 * lambda * lambda / n, form == 2);
            if (!x) return std::nullopt;
            numerator = *x * (2 * lambda * c - r * *x);
            denominator = lambda * lambda;
            break;
        }
        default:
            numerator = third;
            denominator = Wide{unsigned_byte()} + 1;
    }
    // In lowest terms, then both multiplied: the search reduces d itself.
    const Wide common = gcd_of(numerator, denominator);
    const unsigned multiplier = 1 + options / 48;
    numerator = numerator / common * multiplier;
    denominator = denominator / common * multiplier;
    if (!fits_64(r) || !fits_64(c) || !fits_64(numerator) || !fits_64(denominator)) return std::nullopt;
    return SearchRequest{
        .v = {static_cast<std::int64_t>(r), {static_cast<std::int64_t>(c)}, {static_cast<std::int64_t>(numerator)}},
        .surface = {n},
        .d_denominator = static_cast<std::int64_t>(denominator),
        .side = options / 12 % 2 != 0 ? Side::right : Side::left,
        .shifted_as_negated = options / 24 % 2 != 0,
    };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return -1;
    if (data[0] >= 128) {
        const std::optional<SearchRequest> request = decode_surface(data, size);
        if (!request) return -1;  // not added to the corpus
        search_and_check(*request);
        return 0;
    }
    const std::optional<ChernChar<2>> v = decode_half_integral(data, size);
    if (!v) return -1;
    search_and_check({*v});
    // The package's route takes a shifted class (r < 0, or r = 0 and c < 0) as
    // −v: its outcome is −v's (so never a negative-rank refusal), or an
    // overflow when −v leaves 64 bits.
    if (v->r < 0 || (v->r == 0 && v->c.coeff < 0)) search_and_check({.v = *v, .shifted_as_negated = true});
    return 0;
}
