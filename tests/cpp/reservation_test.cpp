// The process's ledger of promised memory: raises granted while every promise
// together fits in what the process can allocate (a fixed figure here), the
// refusal's figures, and threads raising at once never promising more.
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <optional>
#include <thread>
#include <vector>

#include "memory/reservation.hpp"

namespace varnolt::test {
namespace {

using memory::Reservation;

constexpr std::uint64_t usable = 1000;
Reservation fixed() { return Reservation([] { return usable; }); }

TEST(Reservation, RaisesFitWithTheOtherPromisesRefusalsSayWhyAndEndingGivesBack) {
    // Reservation `who` asks to cover needed (wanted); the promises of both afterwards, or the refusal.
    struct Step { int who; std::uint64_t needed, wanted; std::uint64_t first, second; std::optional<std::uint64_t> refused_elsewhere; };
    const Step steps[] = {
        {0, 600, 600, 600, 0, {}},     // alone: all it asks
        {1, 600, 600, 600, 0, 600},    // 600 + 600 > 1000: refused, nothing changes
        {1, 300, 500, 600, 400, {}},   // a step ahead only as far as there is room
        {0, 500, 900, 600, 400, {}},   // already covered: no change
        {0, 700, 700, 600, 400, 400},  // 700 + 400 > 1000
    };
    {  // both end here
        Reservation both[] = {fixed(), fixed()};
        for (const Step& step : steps) {
            const auto raised = both[step.who].raise_to(step.needed, step.wanted);
            EXPECT_EQ(raised.has_value(), !step.refused_elsewhere) << step.needed;
            if (!raised) {
                const memory::MemoryRefused& refused = raised.error();
                EXPECT_EQ((std::array{refused.needed, refused.usable, refused.promised_elsewhere}),
                          (std::array{step.needed, usable, *step.refused_elsewhere}));
            }
            EXPECT_EQ(both[0].bytes(), step.first);
            EXPECT_EQ(both[1].bytes(), step.second);
        }
        both[0].lower_to(100);
        EXPECT_EQ(Reservation::promised_in_all(), 500u);
        EXPECT_TRUE(both[1].raise_to(900));  // 900 + 100
    }
    EXPECT_EQ(Reservation::promised_in_all(), 0u);
    EXPECT_TRUE(fixed().raise_to(usable));
}

TEST(Reservation, ThreadsRaisingAtOncePromiseNoMoreThanThereIs) {
    std::vector<std::jthread> threads;
    std::deque<Reservation> held;
    for (int i = 0; i < 8; ++i) held.emplace_back([] { return usable; });
    for (Reservation& mine : held)
        threads.emplace_back([&mine] {
            for (std::uint64_t bytes = 1; mine.raise_to(bytes); ++bytes) EXPECT_LE(Reservation::promised_in_all(), usable);
        });
    threads.clear();  // joins
    std::uint64_t sum = 0;
    for (const Reservation& mine : held) sum += mine.bytes();
    EXPECT_EQ(sum, usable);
}

}  // namespace
}  // namespace varnolt::test
