#include "boundary/search_failure.hpp"

#include "boundary/py_ref.hpp"

namespace varnolt::boundary {

void raise_search_failure(const tilt_stability::SearchFailure& failure) {
    const bool overflow = failure.kind == tilt_stability::FailureKind::overflow;
    PyErr_SetString(overflow ? PyExc_OverflowError : PyExc_RuntimeError, failure.text);
    throw PythonErrorSet{};
}

}  // namespace varnolt::boundary
