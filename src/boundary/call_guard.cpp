#include "boundary/call_guard.hpp"

#include <atomic>
#include <exception>
#include <new>

#include "boundary/panic_exception.hpp"
#include "boundary/py_ref.hpp"
#include "tilt_stability/interrupt.hpp"
#include "tilt_stability/candidates/candidates.hpp"
#include "primitives/checked.hpp"
#include "primitives/stop.hpp"

namespace varnolt::boundary {

// The C++ runtime keeps per-thread exception data (the caught-exception stack
// of __cxa_get_globals) in thread-local storage of libstdc++. The extension is
// loaded with dlopen, so that storage is allocated lazily with malloc, on the
// thread's first throw; if memory is exhausted just then (a search that has
// filled the address space throws std::bad_alloc) the dynamic loader cannot
// allocate it and ends the process ("cannot allocate memory for thread-local
// data"). Asking for the uncaught-exception count touches that storage, so it
// exists before any body runs. This does not depend on how libstdc++ is
// linked: linked statically into the extension, its thread-local data would
// still belong to a dlopen-ed object and be allocated the same lazy way.
void prepare_thread_for_exceptions() noexcept {
    // The result is stored so that the call cannot be optimised away.
    static std::atomic<int> last_count;
    last_count.store(std::uncaught_exceptions(), std::memory_order_relaxed);
}

PyObject* raise_current_exception() noexcept {
    try {
        try {
            throw;
        } catch (const PythonErrorSet&) {
        } catch (const tilt_stability::Interrupted&) {
            // The signal handler's exception (KeyboardInterrupt) is already set.
        } catch (const primitives::ArithmeticOverflow& overflow) {
            PyErr_SetString(PyExc_OverflowError, overflow.what());
        } catch (const std::bad_alloc&) {
            PyErr_NoMemory();
        } catch (const tilt_stability::CandidateLimitReached&) {
            PyErr_NoMemory();
        } catch (const primitives::Stop& stop) {
            raise_panic(stop.message(), stop.where());
        } catch (const std::exception& error) {
            raise_panic(error.what(), std::source_location::current());
        }
        return nullptr;
    } catch (...) {
        // Raising the exception itself failed (for example building the
        // message ran out of memory): nothing can be reported to Python.
        abort_at_boundary();
    }
}

}  // namespace varnolt::boundary
