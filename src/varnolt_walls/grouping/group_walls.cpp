#include "varnolt_walls/grouping/group_walls.hpp"

#include <algorithm>
#include <cmath>

namespace varnolt::walls::grouping {

namespace {

using tilt_stability::InterruptPoll;

// Whether two neighbours x >= y of the order of the approximate radii may
// stand the other way round exactly, or be equal. Each approximation is
// within a relative 2^-51 of its exact value and has its sign (see
// approximate), so two values of one sign whose approximations are more than
// 2^-49·(|x| + |y|) apart are in the order of the approximations. Linking
// neighbours within four times that margin puts every pair that may be
// misordered into one run of linked neighbours: such a pair x >= y is of one
// sign and within 2^-49·(|x| + |y|), each neighbour pair z1 >= z2 between
// them is closer still, and |z1| + |z2| >= 2·min(|x|, |y|) >= (|x| + |y|)/4.
bool may_cross(double x, double y) { return x - y <= 0x1p-47 * (std::fabs(x) + std::fabs(y)); }

// The order of the radii, largest first, as a key that sorts upwards.
std::uint64_t radius_key(double radius_squared) { return ~ordered_bits(radius_squared); }
double radius_of(const KeyedIndex& entry) { return from_ordered_bits(~entry.key); }

// The exact order of the walls of candidates: larger radius² first, then
// smaller center; 0 exactly for the same wall. The walls are worked out again
// from the rows (a few products) rather than held: 48 bytes per candidate
// saved, and order_walls has checked that each fits.
class ExactOrder {
public:
    ExactOrder(const Row& v, std::span<const Row> rows) : v_(v), rows_(rows) {}

    int compare(const KeyedIndex& x, const KeyedIndex& y) const {
        const RawWall wx = wall(x), wy = wall(y);
        if (const int order = grouping::compare(wy.radius_squared(), wx.radius_squared())) return order;
        return grouping::compare(wx.center(), wy.center());
    }

    // Candidates of one wall keep the order they came in.
    bool operator()(const KeyedIndex& x, const KeyedIndex& y) const {
        const int order = compare(x, y);
        return order != 0 ? order < 0 : x.index < y.index;
    }

    RawWall wall(const KeyedIndex& entry) const { return *raw_wall(v_, rows_[entry.index]); }

private:
    const Row& v_;
    std::span<const Row> rows_;
};

// Sorts by the approximate radii (stable, so ties keep the order the
// candidates came in), then exactly inside each run of neighbours that may
// cross: the exact order, with exact comparisons only where radii nearly
// coincide (mostly candidates of one wall). Notes where each wall starts.
// The exact comparisons read rows at random: those of the entries a few
// ahead are asked for early, so that their cache misses overlap.
std::vector<std::size_t> sort_exactly(std::vector<KeyedIndex>& entries, const ExactOrder& order,
                                      std::span<const Row> rows, InterruptPoll& interrupt) {
    constexpr std::size_t ahead = 16;
    radix_sort(entries, interrupt);
    std::vector<std::size_t> starts;
    std::size_t run = 0;
    while (run < entries.size()) {
        std::size_t end = run + 1;
        while (end < entries.size() && may_cross(radius_of(entries[end - 1]), radius_of(entries[end]))) ++end;
        if (end + ahead < entries.size()) __builtin_prefetch(&rows[entries[end + ahead].index]);
        if (end - run > 1) std::sort(entries.begin() + run, entries.begin() + end, order);
        starts.push_back(run);
        for (std::size_t at = run + 1; at < end; ++at)
            if (order.compare(entries[at - 1], entries[at]) != 0) starts.push_back(at);
        interrupt.tick();
        run = end;
    }
    starts.push_back(entries.size());
    return starts;
}

std::int64_t steps(std::size_t candidates) { return static_cast<std::int64_t>(candidates); }

void write_value(wide value, std::int64_t*& out) {
    *out++ = static_cast<std::int64_t>(static_cast<std::uint64_t>(value));
    *out++ = static_cast<std::int64_t>(value >> 64);
}

void write_fraction(const Fraction128& x, std::int64_t*& out) {
    write_value(x.numer, out);
    write_value(x.denom, out);
}

}  // namespace

std::optional<WallOrder> order_walls(const Row& v, std::span<const Row> rows, InterruptPoll& interrupt) {
    const std::int64_t total = 2 * steps(rows.size());
    std::vector<KeyedIndex> entries;
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        interrupt.tick();
        interrupt.report(steps(i), total);
        const std::optional<RawWall> wall = raw_wall(v, rows[i]);
        if (!wall) return std::nullopt;
        entries.push_back({radius_key(approximate(wall->radius_squared())), i});
    }
    interrupt.report(steps(rows.size()), total);
    std::vector<std::size_t> starts = sort_exactly(entries, ExactOrder(v, rows), rows, interrupt);
    return WallOrder{std::move(entries), std::move(starts)};
}

// The reads of rows jump about: those a few entries ahead are asked for
// early, so that their cache misses overlap.
void write_walls(const Row& v, std::span<const Row> rows, const WallOrder& order, const WallColumns& out) {
    constexpr std::size_t ahead = 16;
    for (std::size_t k = 0; k < order.sorted.size(); ++k) {
        if (k + ahead < order.sorted.size()) __builtin_prefetch(&rows[order.sorted[k + ahead].index]);
        out.rows[k] = rows[order.sorted[k].index];
    }
    std::int64_t* terms = out.terms.data();
    for (std::size_t wall = 0; wall < order.walls(); ++wall) {
        out.offsets[wall] = static_cast<std::int64_t>(order.starts[wall]);
        const WallKey key = lowest_terms(*raw_wall(v, out.rows[order.starts[wall]]));
        write_fraction(key.center, terms);
        write_fraction(key.radius_squared, terms);
    }
    out.offsets[order.walls()] = static_cast<std::int64_t>(order.sorted.size());
}

}  // namespace varnolt::walls::grouping
