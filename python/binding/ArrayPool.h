// Float arrays of one size handed to Python over and over. A fresh NumPy array of a step's
// observations is as large as the step's work is long, and the memory the allocator gives back and
// takes again each step costs the kernel's page faults; arrays whose memory comes back to this pool
// when Python lets them go reuse it instead. Python still gets a new array at every step.
#pragma once

#include <pybind11/numpy.h>

#include <memory>
#include <vector>

class ArrayPool : public std::enable_shared_from_this<ArrayPool> {
  public:
    explicit ArrayPool(size_t Floats) : Floats(Floats) {}
    // A new array of this pool's size in the given shape; its contents are whatever they were.
    pybind11::array_t<float> Take(const std::vector<pybind11::ssize_t> &Shape);

  private:
    void Give(float *Buffer);

    size_t Floats;
    std::vector<std::unique_ptr<float[]>> Free;
};
