#include "python/binding/Actions.h"

#include <pybind11/numpy.h>

#include <string>

#include "python/core/Copy.h"

namespace py = pybind11;

namespace {

std::string ShapeText(const py::array &A) {
    std::string Text = "(";
    for (py::ssize_t D = 0; D < A.ndim(); ++D) {
        Text += (D > 0 ? ", " : "") + std::to_string(A.shape(D));
    }
    return Text + (A.ndim() == 1 ? ",)" : ")");
}

} // namespace

void ReadActions(const py::handle &Actions, size_t Matches, int People, uint8_t *Out) {
    py::array A = py::array::ensure(Actions);
    if (!A) {
        PyErr_Clear();
        throw py::value_error("actions must be a NumPy array of whole numbers.");
    }
    const char Kind = A.dtype().kind();
    if (Kind != 'b' && Kind != 'i' && Kind != 'u') {
        throw py::value_error("actions must hold integers or booleans, not " +
                              std::string(py::str(A.dtype())) + ".");
    }
    const std::string Expected = "(" + std::to_string(Matches) + ", " + std::to_string(People) + ")";
    const std::string ExpectedBits = "(" + std::to_string(Matches) + ", " + std::to_string(People) + ", 5)";
    const bool Indexes = A.ndim() == 2 && size_t(A.shape(0)) == Matches && A.shape(1) == People;
    const bool Bits = A.ndim() == 3 && size_t(A.shape(0)) == Matches && A.shape(1) == People &&
                      A.shape(2) == ActionControls;
    if (!Indexes && !Bits) {
        throw py::value_error("actions must have shape " + Expected + " of combination numbers 0 to 31 or " +
                              ExpectedBits + " of 0 and 1, not " + ShapeText(A) + ".");
    }
    // Unsigned numbers too large for 64 signed bits come out negative here, and are refused.
    auto Values = py::array_t<int64_t, py::array::c_style | py::array::forcecast>::ensure(A);
    const int64_t *V = Values.data();
    const size_t Count = Matches * size_t(People);
    if (Indexes) {
        // Checked in one pass and copied in another, neither with a branch on the values: a step's
        // actions are read while the other threads wait.
        bool AllFit = true;
        for (size_t I = 0; I < Count; ++I) {
            AllFit &= uint64_t(V[I]) < uint64_t(ActionCount);
        }
        for (size_t I = 0; !AllFit && I < Count; ++I) {
            if (V[I] < 0 || V[I] >= ActionCount) {
                throw py::value_error("an action number must be from 0 to 31, not " + std::to_string(V[I]) +
                                      " (match " + std::to_string(I / People) + ", person " +
                                      std::to_string(I % People) + ").");
            }
        }
        for (size_t I = 0; I < Count; ++I) {
            Out[I] = uint8_t(V[I]);
        }
        return;
    }
    for (size_t I = 0; I < Count; ++I) {
        uint8_t Combination = 0;
        for (int Control = 0; Control < ActionControls; ++Control) {
            const int64_t Held = V[I * ActionControls + Control];
            if (Held != 0 && Held != 1) {
                throw py::value_error("each of an action's five controls must be 0 or 1, not " +
                                      std::to_string(Held) + " (match " + std::to_string(I / People) +
                                      ", person " + std::to_string(I % People) + ").");
            }
            Combination = uint8_t(Combination | (Held << Control));
        }
        Out[I] = Combination;
    }
}
