#include "functions.hpp"

#include <cstdint>
#include <string>

#include "boundary/binding.hpp"
#include "boundary/call_guard.hpp"
#include "boundary/conversions.hpp"
#include "search_call.hpp"
#include "stdout_writer.hpp"

namespace varnolt {

using boundary::FunctionDescription;
using boundary::PyRef;
using boundary::bind;
using boundary::call_guarded;
using boundary::int_from;
using boundary::to_int64;
using boundary::to_uint32;

namespace {

// Binds r, c, d and converts them in parameter order (the first failure wins).
chern_character::ChernChar<2> chern_character_argument(const FunctionDescription<3>& function,
                                                       PyObject* module, PyObject* const* args,
                                                       Py_ssize_t nargsf, PyObject* kwnames) {
    const auto slots = bind(function, module, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    return {r, {c}, {d}};
}

}  // namespace

PyObject* sum_as_string(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const auto slots = bind(sum_as_string_description, module, args, nargsf, kwnames);
        const std::uint64_t a = to_uint32(slots[0], "a");
        const std::uint64_t b = to_uint32(slots[1], "b");
        // The exact sum: two 32-bit values cannot overflow 64 bits.
        const std::string text = std::to_string(a + b);
        return PyRef::checked(PyUnicode_FromStringAndSize(text.data(),
                                                          static_cast<Py_ssize_t>(text.size())))
            .release();
    });
}

PyObject* bogomolov_form(PyObject* module, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const auto v = chern_character_argument(bogomolov_form_description, module, args, nargsf, kwnames);
        // The doubling of c² − rd, which may not fit 128 bits, is left to
        // Python's own integers.
        const PyRef half = int_from(chern_character::discriminant(v));
        return PyRef::checked(PyNumber_Add(half.get(), half.get())).release();
    });
}

PyObject* pseudo_semistabilizers(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                                 PyObject* kwnames) {
    return call_guarded([&] {
        const auto v =
            chern_character_argument(pseudo_semistabilizers_description, module, args, nargsf, kwnames);
        std::string announcement = "Computing pseudo semistabilizers for ";
        announcement += chern_character::to_string(v);
        announcement += "\n";
        write_stdout(announcement);
        write_stdout("\n");
        return search_and_convert(v).release();
    });
}

}  // namespace varnolt
