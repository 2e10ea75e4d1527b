#include "functions.hpp"

#include <cstdint>
#include <string>

#include "binding.hpp"
#include "call_guard.hpp"
#include "conversions.hpp"
#include "search_call.hpp"
#include "stdout_writer.hpp"

namespace varnolt {

namespace {

constexpr const char* two_parameters[] = {"a", "b"};
constexpr const char* chern_parameters[] = {"r", "c", "d"};

constexpr FunctionDescription sum_as_string_description{"sum_as_string", two_parameters};
constexpr FunctionDescription bogomolov_form_description{"bogomolov_form", chern_parameters};
constexpr FunctionDescription pseudo_semistabilizers_description{"pseudo_semistabilizers",
                                                                 chern_parameters};

// Binds r, c, d and converts them in parameter order (the first failure wins).
chern_character::ChernChar<2> chern_character_argument(const FunctionDescription& function,
                                                       PyObject* const* args, Py_ssize_t nargsf,
                                                       PyObject* kwnames) {
    const auto slots = bind<3>(function, args, nargsf, kwnames);
    const std::int64_t r = to_int64(slots[0], "r");
    const std::int64_t c = to_int64(slots[1], "c");
    const std::int64_t d = to_int64(slots[2], "d");
    return {r, {c}, {d}};
}

}  // namespace

PyObject* sum_as_string(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const auto slots = bind<2>(sum_as_string_description, args, nargsf, kwnames);
        const std::uint64_t a = to_uint32(slots[0], "a");
        const std::uint64_t b = to_uint32(slots[1], "b");
        // The exact sum: two 32-bit values cannot overflow 64 bits.
        const std::string text = std::to_string(a + b);
        return PyRef::checked(PyUnicode_FromStringAndSize(text.data(),
                                                          static_cast<Py_ssize_t>(text.size())))
            .release();
    });
}

PyObject* bogomolov_form(PyObject*, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
    return call_guarded([&] {
        const auto v = chern_character_argument(bogomolov_form_description, args, nargsf, kwnames);
        // c^2 - rd is exact in 128 bits (it lies in [-2^126, 2^127)); the
        // doubling, which may not fit, is left to Python's own integers.
        const __int128 c = v.c.coeff;
        const PyRef half = int_from(c * c - static_cast<__int128>(v.r) * v.d.numerator);
        return PyRef::checked(PyNumber_Add(half.get(), half.get())).release();
    });
}

PyObject* pseudo_semistabilizers(PyObject*, PyObject* const* args, Py_ssize_t nargsf,
                                 PyObject* kwnames) {
    return call_guarded([&] {
        const auto v =
            chern_character_argument(pseudo_semistabilizers_description, args, nargsf, kwnames);
        std::string announcement = "Computing pseudo semistabilizers for ";
        announcement += chern_character::to_string(v);
        announcement += "\n";
        write_stdout(announcement);
        write_stdout("\n");
        return search_and_convert(v).release();
    });
}

}  // namespace varnolt
