#include "python/binding/ArrayPool.h"

namespace py = pybind11;

namespace {

// Enough for the arrays a learner keeps from a few steps; more are simply freed.
constexpr size_t KeptFree = 8;

struct Lent {
    float *Buffer;
    std::shared_ptr<ArrayPool> Pool;
};

} // namespace

py::array_t<float> ArrayPool::Take(const std::vector<py::ssize_t> &Shape) {
    std::unique_ptr<float[]> Buffer;
    if (Free.empty()) {
        Buffer.reset(new float[Floats > 0 ? Floats : 1]);
    } else {
        Buffer = std::move(Free.back());
        Free.pop_back();
    }
    float *Data = Buffer.get();
    // The capsule is released with the array, under the interpreter's lock, and hands the memory back.
    py::capsule Owner(new Lent{Buffer.release(), shared_from_this()}, [](void *Pointer) {
        Lent *Loan = static_cast<Lent *>(Pointer);
        Loan->Pool->Give(Loan->Buffer);
        delete Loan;
    });
    return py::array_t<float>(Shape, Data, Owner);
}

void ArrayPool::Give(float *Buffer) {
    std::unique_ptr<float[]> Owned(Buffer);
    if (Free.size() < KeptFree) {
        Free.push_back(std::move(Owned));
    }
}
