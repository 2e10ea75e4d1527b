// Times the per-rank enumeration (the test oracle) on one Chern character:
// prints "results ranks_visited seconds", or the message.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "oracle/per_rank_search.hpp"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s r c d\n", argv[0]);
        return 2;
    }
    const varnolt_oracle::Candidate v{std::atoll(argv[1]), {std::atoll(argv[2])}, {std::atoll(argv[3])}};
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = varnolt_oracle::per_rank_find_all(v);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!outcome.result) {
        std::printf("message %s\n", outcome.result.error());
        return 1;
    }
    std::printf("%zu %llu %.6f\n", outcome.result->size(),
                static_cast<unsigned long long>(outcome.ranks_visited), seconds);
}
