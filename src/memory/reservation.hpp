#pragma once
// Memory promised to the searches under way in this process. Each search holds
// a Reservation, raised in steps as its result grows and given back when the
// reservation ends; a raise is granted only if what this process can still
// allocate covers it together with everything promised to the other
// reservations. Without the ledger, searches running at once (in threads, or
// sweep workers in threads) would each measure the same free memory and
// together take several times as much. The ledger is the process's one piece
// of global mutable state; a mutex guards it. No Python here.
#include <cstdint>
#include <expected>
#include <functional>
#include <utility>

namespace varnolt::memory {

// Why a raise was refused, with its figures in bytes.
struct MemoryRefused {
    std::uint64_t needed;              // what the reservation asked to cover in all
    std::uint64_t usable;              // what the process could still allocate, as measured
    std::uint64_t promised_elsewhere;  // what the other reservations held then
};

// What the process can still allocate, in bytes; usable_memory_bytes unless a
// test says otherwise.
using UsableMemory = std::function<std::uint64_t()>;

class Reservation {
public:
    Reservation();  // holds nothing; measures with usable_memory_bytes
    explicit Reservation(UsableMemory usable) : usable_(std::move(usable)) {}
    ~Reservation() { lower_to(0); }
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;

    // Raises the promise to cover `needed` bytes in all, and to `wanted` (a
    // step ahead, so that a growing search measures only now and then) where
    // the memory allows; needed <= wanted. Granted when `needed` plus the
    // other reservations' promises fit in what the process can allocate; the
    // bytes this one's holder has allocated already count twice (they are
    // gone from the measured memory and still promised): the ledger errs on
    // the side of refusing. Nothing changes when refused. A promise never
    // shrinks here, and needed <= bytes() costs nothing.
    std::expected<void, MemoryRefused> raise_to(std::uint64_t needed, std::uint64_t wanted);
    std::expected<void, MemoryRefused> raise_to(std::uint64_t needed) { return raise_to(needed, needed); }

    // Gives back all but `bytes` of the promise (no-op when it holds less).
    void lower_to(std::uint64_t bytes) noexcept;

    std::uint64_t bytes() const noexcept { return bytes_; }

    // What every reservation of the process holds together.
    static std::uint64_t promised_in_all() noexcept;

private:
    UsableMemory usable_;
    std::uint64_t bytes_ = 0;
};

}  // namespace varnolt::memory
