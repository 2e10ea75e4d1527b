#pragma once
// The search as a plain per-rank enumeration with normalised Ratio arithmetic:
// for every q = k/n, every admissible rank up to X², the lattice points between
// the radius bound L and the least upper bound. It costs about X³/n rank
// sub-problems; the module's search must give exactly the same outcome, so
// this serves as its test oracle and as the benchmark's baseline.
#include <cstdint>
#include <expected>
#include <vector>

#include "chern_character/chern_character.hpp"
#include "ratio/ratio.hpp"

namespace varnolt_oracle {

using Candidate = varnolt::chern_character::ChernChar<2>;

struct PerRankOutcome {
    std::expected<std::vector<Candidate>, const char*> result;
    std::uint64_t ranks_visited = 0;
};

PerRankOutcome per_rank_find_all(const Candidate& v);

// L = r·β²/2 + β·q, formed in that order with Ratio operations.
varnolt::ratio::Ratio radius_bound(const varnolt::ratio::Ratio& beta, std::int64_t q_numer,
                                   std::int64_t r);

}  // namespace varnolt_oracle
