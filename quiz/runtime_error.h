// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pelmora {

// An error raised inside an event handler. Nothing in the quiz traps it: it
// abandons the rest of the handler and reaches the window, which reports it
// as unhandled.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OverflowError : public RuntimeError {
public:
    OverflowError() : RuntimeError("Overflow") {}
};

class RangeError : public RuntimeError {
public:
    RangeError() : RuntimeError("Subscript out of range") {}
};

// 16-bit signed arithmetic that raises OverflowError instead of wrapping.
inline std::int16_t checkedAdd(std::int16_t a, std::int16_t b)
{
    const int sum = int{a} + int{b};
    if (sum < INT16_MIN || sum > INT16_MAX)
        throw OverflowError();
    return static_cast<std::int16_t>(sum);
}

} // namespace pelmora
