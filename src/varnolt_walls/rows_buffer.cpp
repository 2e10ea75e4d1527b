#include "varnolt_walls/rows_buffer.hpp"

#include <cstdint>
#include <cstring>

#include "varnolt_walls/new_buffer.hpp"
#include "varnolt_walls/released_lock.hpp"

namespace varnolt::walls {

using boundary::PyRef;

namespace {

constexpr std::size_t row_bytes = 3 * sizeof(std::int64_t);

// Writes the rows of runs to out, which has room for all of them.
void fill_rows(const CandidateRuns& runs, char* out) {
    for (const auto& run : runs.runs()) {
        tilt_stability::for_each_d(run, [&](std::int64_t d) {
            const std::int64_t row[3] = {run.r, run.c, d};
            std::memcpy(out, row, row_bytes);
            out += row_bytes;
        });
    }
}

}  // namespace

PyRef rows_buffer(const CandidateRuns& runs) {
    auto [buffer, out] = new_buffer<grouping::Row>(runs.size(), "the rows of the candidates");
    // No other thread can see the new bytearray yet, so it is filled without the lock.
    fill_without_lock([&, out = out] { fill_rows(runs, reinterpret_cast<char*>(out.data())); });
    return std::move(buffer);
}

}  // namespace varnolt::walls
