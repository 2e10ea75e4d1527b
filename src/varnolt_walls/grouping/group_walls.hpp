#pragma once
// The candidates of v gathered by the wall they give, walls ordered largest
// first: by radius², then by center, exactly. In two steps, so that the
// caller can size its output before it is written: the order, then the
// columns.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tilt_stability/interrupt.hpp"
#include "varnolt_walls/grouping/radix_sort.hpp"
#include "varnolt_walls/grouping/wall_key.hpp"

namespace varnolt::walls::grouping {

struct WallOrder {
    // The candidates wall by wall (sorted[k].index is a position in the
    // rows), each wall's in the order they came in; sorted[k].key is 1 where
    // a wall starts, else 0.
    std::vector<KeyedIndex> sorted;
    std::size_t wall_count;

    std::size_t walls() const { return wall_count; }
};

// The order of the walls of the candidates rows of v. Nothing when a
// candidate's wall does not fit (see raw_wall): the caller groups them in
// unbounded integers instead. Polls interrupt (Interrupted ends it) and
// reports its progress there, in steps of 2 per candidate: the walls, the
// sort. Holds 32 bytes per candidate besides rows: two sort entries.
std::optional<WallOrder> order_walls(const Row& v, std::span<const Row> rows,
                                     tilt_stability::InterruptPoll& interrupt);

// The columns of the walls, with room for exactly what order holds:
//   rows:    the candidates wall by wall, as in order;
//   offsets: where each wall's rows start, then the count of rows.
// A wall's center and radius² are not written: they are worked out again from
// its first row when they are read (raw_wall, lowest_terms).
struct WallColumns {
    std::span<Row> rows;
    std::span<std::int64_t> offsets;
};

// Writes the columns of order, found by order_walls for these rows.
void write_walls(std::span<const Row> rows, const WallOrder& order, const WallColumns& out);

}  // namespace varnolt::walls::grouping
