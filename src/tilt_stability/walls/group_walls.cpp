#include "tilt_stability/walls/group_walls.hpp"

#include <algorithm>
#include <bit>
#include <optional>

namespace varnolt::tilt_stability::walls {

namespace {

// The order of the radii, largest first, as a key of key_bits <= 48 bits
// that sorts upwards: the top bits of the order of the doubles, reversed.
//
// Neighbours whose keys differ by at most 1 are linked into one run, sorted
// exactly: then every pair that the approximations may misorder, or that is
// one wall, lies in one run. Each approximation is within a relative 2^-50 of
// its exact value and has its sign (see approximate_radius_squared), so such
// a pair x >= y has approximations of one sign within a relative 2^-48 of
// each other: at most 2^6 doubles apart, so their orders differ by at most
// 2^6, less than the 2^16 or more that the key drops, and their keys by at
// most 1; the sorted keys between them climb by at most 1 at each step.
std::uint64_t radius_key(double radius_squared, int key_bits) {
    return ~ordered_bits(radius_squared) >> (64 - key_bits);
}

// The layout of the entries of `count` candidates: the fewest bits that hold
// an index, and a key of up to 48 bits above them. With fewer key bits (past
// 2^16 candidates) only more neighbours are linked.
EntryLayout layout_for(std::size_t count) { return {std::max(1, static_cast<int>(std::bit_width(count)))}; }
int key_bits(const EntryLayout& layout) { return std::min(48, 64 - layout.index_bits); }

// A candidate of a run of linked neighbours, with its wall worked out once
// (a few products). Walls are not held for every candidate: 48 bytes or more
// each.
struct RunMember {
    ExactWall wall;
    std::size_t index;
};

// The runs of linked neighbours of the sorted entries, each sorted exactly,
// with the first entry of each wall marked (key 1, the others 0). Only the
// candidates of runs of two or more (mostly candidates of one wall) read
// their rows.
class RunSorter {
public:
    RunSorter(const Row& v, std::span<const Row> rows, std::span<std::uint64_t> entries, EntryLayout layout)
        : v_(v), rows_(rows), entries_(entries), layout_(layout) {}

    bool linked(std::size_t at) const { return layout_.key(entries_[at]) - layout_.key(entries_[at - 1]) <= 1; }

    // Sorts entries[first, last) exactly (candidates of one wall keep their
    // order), marks where its walls start and returns how many there are.
    std::size_t sort(std::size_t first, std::size_t last) {
        members_.clear();
        for (std::size_t at = first; at < last; ++at) {
            const std::size_t index = layout_.index(entries_[at]);
            members_.push_back({exact_wall(v_, rows_[index]), index});
        }
        // Mostly the run is one wall: then only the order they came in is left to restore.
        const bool one_wall = std::all_of(members_.begin() + 1, members_.end(), [&](const RunMember& x) {
            return wall_order(members_.front().wall, x.wall) == 0;
        });
        std::sort(members_.begin(), members_.end(), [one_wall](const RunMember& x, const RunMember& y) {
            const auto order = one_wall ? std::strong_ordering::equal : wall_order(x.wall, y.wall);
            return order != 0 ? order < 0 : x.index < y.index;
        });
        std::size_t walls = 0;
        for (std::size_t k = 0; k < members_.size(); ++k) {
            const bool starts = k == 0 || (!one_wall && wall_order(members_[k - 1].wall, members_[k].wall) != 0);
            entries_[first + k] = layout_.entry(starts ? 1 : 0, members_[k].index);
            walls += starts;
        }
        return walls;
    }

    void mark_single(std::size_t at) { entries_[at] = layout_.entry(1, layout_.index(entries_[at])); }

private:
    const Row& v_;
    std::span<const Row> rows_;
    std::span<std::uint64_t> entries_;
    EntryLayout layout_;
    std::vector<RunMember> members_;
};

// Sorts by the keys of the approximate radii (stable, so ties keep the order
// the candidates came in), then exactly inside each run of linked neighbours:
// exact comparisons only where radii nearly coincide. Marks the first entry
// of each wall (key 1, the others 0) and returns the count of walls.
std::size_t sort_exactly(const Row& v, std::vector<std::uint64_t>& entries, EntryLayout layout,
                         std::span<const Row> rows, InterruptPoll& interrupt) {
    radix_sort(entries, layout.index_bits, interrupt);
    RunSorter sorter(v, rows, entries, layout);
    std::size_t walls = 0, run = 0;
    while (run < entries.size()) {
        std::size_t end = run + 1;
        while (end < entries.size() && sorter.linked(end)) ++end;
        if (end - run > 1) {
            walls += sorter.sort(run, end);
        } else {
            sorter.mark_single(run);
            ++walls;
        }
        interrupt.tick();
        run = end;
    }
    return walls;
}

std::int64_t steps(std::size_t candidates) { return static_cast<std::int64_t>(candidates); }

}  // namespace

WallOrder order_walls(const Row& v, std::span<const Row> rows, InterruptPoll& interrupt) {
    const std::int64_t total = 2 * steps(rows.size());
    const EntryLayout layout = layout_for(rows.size());
    std::vector<std::uint64_t> entries;
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        interrupt.tick();
        interrupt.report(steps(i), total);
        // The 128-bit terms nearly always; the others only for rows near the ends of the int64 range.
        const std::optional<RawWall> raw = raw_wall(v, rows[i]);
        const double radius_squared =
            raw ? approximate_radius_squared(*raw) : approximate_radius_squared(wide_wall(v, rows[i]));
        entries.push_back(layout.entry(radius_key(radius_squared, key_bits(layout)), i));
    }
    interrupt.report(steps(rows.size()), total);
    const std::size_t walls = sort_exactly(v, entries, layout, rows, interrupt);
    return WallOrder{std::move(entries), layout, walls};
}

// The reads of rows jump about: those a few entries ahead are asked for
// early, so that their cache misses overlap.
void write_walls(std::span<const Row> rows, const WallOrder& order, const WallColumns& out) {
    constexpr std::size_t ahead = 16;
    const EntryLayout layout = order.layout;
    for (std::size_t k = 0; k < order.sorted.size(); ++k) {
        if (k + ahead < order.sorted.size()) __builtin_prefetch(&rows[layout.index(order.sorted[k + ahead])]);
        out.rows[k] = rows[layout.index(order.sorted[k])];
    }
    std::size_t wall = 0;
    for (std::size_t k = 0; k < order.sorted.size(); ++k)
        if (layout.key(order.sorted[k]) != 0) out.offsets[wall++] = static_cast<std::int64_t>(k);
    out.offsets[wall] = static_cast<std::int64_t>(order.sorted.size());
}

}  // namespace varnolt::tilt_stability::walls
