#include "search_call.hpp"

namespace varnolt {

PyRef search_and_convert(const chern_character::ChernChar<2>&) {
    PyErr_SetString(PyExc_NotImplementedError, "the search is not built yet");
    throw PythonErrorSet{};
}

}  // namespace varnolt
