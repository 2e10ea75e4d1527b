#pragma once
// The candidates of v gathered by the wall they give, walls ordered largest
// first: by radius², then by center, exactly. In two steps, so that the
// caller can size its output before it is written: the order, then the
// columns.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/walls/radix_sort.hpp"
#include "tilt_stability/walls/wall.hpp"

namespace varnolt::tilt_stability::walls {

// A sort entry of the grouping: a 64-bit word holding the position of a
// candidate in the rows in its low index_bits bits, and above them a key (its
// approximate radius while it is sorted; then 1 where a wall starts, else 0).
struct EntryLayout {
    int index_bits;

    std::size_t index(std::uint64_t entry) const { return entry & ((std::uint64_t{1} << index_bits) - 1); }
    std::uint64_t key(std::uint64_t entry) const { return entry >> index_bits; }
    std::uint64_t entry(std::uint64_t key, std::size_t index) const { return key << index_bits | index; }
};

struct WallOrder {
    // The candidates wall by wall, each wall's in the order they came in.
    std::vector<std::uint64_t> sorted;
    EntryLayout layout;
    std::size_t wall_count;

    std::size_t walls() const { return wall_count; }
};

// The order of the walls of the candidates rows of v, exact for every row
// (throws NoWall for a row on the line of v, which no candidate is). Polls
// interrupt (Interrupted ends it) and reports its progress there, in steps of
// 2 per candidate: the walls, the sort. Holds 16 bytes per candidate besides
// rows: two sort entries.
WallOrder order_walls(const Row& v, std::span<const Row> rows, InterruptPoll& interrupt);

// The columns of the walls, with room for exactly what order holds:
//   rows:    the candidates wall by wall, as in order;
//   offsets: where each wall's rows start, then the count of rows.
// A wall's center and radius² are not written: they are worked out again from
// its first row when they are read (exact_wall, lowest_terms).
struct WallColumns {
    std::span<Row> rows;
    std::span<std::int64_t> offsets;
};

// Writes the columns of order, found by order_walls for these rows.
void write_walls(std::span<const Row> rows, const WallOrder& order, const WallColumns& out);

}  // namespace varnolt::tilt_stability::walls
