#include "memory/reservation.hpp"

#include <algorithm>
#include <mutex>

#include "memory/available_memory.hpp"

namespace varnolt::memory {

namespace {

// The bytes promised to all reservations of the process, under its mutex.
struct Ledger {
    std::mutex mutex;
    std::uint64_t promised = 0;
};

Ledger& ledger() {
    static Ledger instance;
    return instance;
}

}  // namespace

Reservation::Reservation() : usable_([] { return usable_memory_bytes(); }) {}

std::expected<void, MemoryRefused> Reservation::raise_to(std::uint64_t needed, std::uint64_t wanted) {
    if (needed <= bytes_) return {};
    Ledger& book = ledger();
    // Measured under the lock: two raises at once must not both count the
    // same free memory.
    const std::lock_guard lock(book.mutex);
    const std::uint64_t elsewhere = book.promised - bytes_;
    const std::uint64_t usable = usable_();
    const std::uint64_t room = usable > elsewhere ? usable - elsewhere : 0;
    if (needed > room) return std::unexpected(MemoryRefused{needed, usable, elsewhere});
    const std::uint64_t granted = std::min(std::max(wanted, needed), room);
    book.promised = elsewhere + granted;
    bytes_ = granted;
    return {};
}

void Reservation::lower_to(std::uint64_t bytes) noexcept {
    if (bytes >= bytes_) return;
    Ledger& book = ledger();
    const std::lock_guard lock(book.mutex);
    book.promised -= bytes_ - bytes;
    bytes_ = bytes;
}

std::uint64_t Reservation::promised_in_all() noexcept {
    Ledger& book = ledger();
    const std::lock_guard lock(book.mutex);
    return book.promised;
}

}  // namespace varnolt::memory
