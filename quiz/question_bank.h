// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "runtime_error.h"

#include <array>
#include <cstdint>
#include <string>

namespace pelmora {

// Thirty entries, of which start-up fills 0 to 19: the bank keeps room for
// more questions than one run asks. Reads are range-checked.
class QuestionBank {
public:
    static constexpr int kSize = 30;
    static constexpr int kQuestions = 20;

    const std::string& text(int index) const { return texts_[checked(index)]; }
    std::int16_t answer(int index) const { return answers_[checked(index)]; }
    void setText(int index, std::string text) { texts_[checked(index)] = std::move(text); }
    void setAnswer(int index, std::int16_t answer) { answers_[checked(index)] = answer; }

    // Writes the twenty questions, for each index first its text, then its answer.
    void fill();

private:
    static std::size_t checked(int index)
    {
        if (index < 0 || index >= kSize)
            throw RangeError();
        return static_cast<std::size_t>(index);
    }

    std::array<std::string, kSize> texts_{};
    std::array<std::int16_t, kSize> answers_{};
};

} // namespace pelmora
