#include "call_guard.hpp"

#include <exception>
#include <new>

#include "panic_exception.hpp"
#include "py_ref.hpp"
#include "tilt_stability/interrupt.hpp"
#include "utils/checked.hpp"
#include "utils/stop.hpp"

namespace varnolt {

PyObject* call_guarded(const std::function<PyObject*()>& body) noexcept {
    try {
        try {
            return body();
        } catch (const PythonErrorSet&) {
        } catch (const tilt_stability::Interrupted&) {
            // The signal handler's exception (KeyboardInterrupt) is already set.
        } catch (const utils::ArithmeticOverflow& overflow) {
            PyErr_SetString(PyExc_OverflowError, overflow.what());
        } catch (const std::bad_alloc&) {
            PyErr_NoMemory();
        } catch (const utils::Stop& stop) {
            raise_panic(stop.message(), stop.where());
        } catch (const std::exception& error) {
            raise_panic(error.what(), std::source_location::current());
        } catch (...) {
            raise_panic("unknown internal failure", std::source_location::current());
        }
        return nullptr;
    } catch (...) {
        // Raising the exception itself failed (for example building the
        // message ran out of memory): nothing can be reported to Python.
        abort_at_boundary();
    }
}

}  // namespace varnolt
