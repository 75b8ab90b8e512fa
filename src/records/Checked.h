// Whole-number fields of fixed width. The game keeps every counter, speed and position in a
// 16-bit or 32-bit signed field; arithmetic that would leave a field's width is a fault of the
// program, never something a player can cause, so storing such a value stops the program at once
// instead of letting it wrap silently.
#pragma once

#include <cstdint>
#include <limits>

[[noreturn]] void OverflowFault(int Bits, int64_t Value);

template <typename T> struct Checked {
    T Value;

    // Reads widen to 64 bits, so an expression of fields never overflows before it is stored.
    constexpr operator int64_t() const { return Value; }

    Checked &operator=(int64_t NewValue) {
        if (NewValue < std::numeric_limits<T>::min() || NewValue > std::numeric_limits<T>::max()) {
            OverflowFault(static_cast<int>(sizeof(T) * 8), NewValue);
        }
        Value = static_cast<T>(NewValue);
        return *this;
    }
};

using Int16 = Checked<int16_t>;
using Int32 = Checked<int32_t>;
