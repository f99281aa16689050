// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pelmora {

// Samples passed from one thread that writes to one that reads, without a
// lock and without allocating once made; its capacity is a power of two.
// clear() only while neither side is in push() or pop().
class SampleRing {
public:
    explicit SampleRing(std::size_t capacity) : samples_(capacity) {}

    std::size_t size() const { return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire); }
    std::size_t space() const { return samples_.size() - size(); }

    // Writes as many of the samples as there is room for; returns how many.
    std::size_t push(std::span<const std::int16_t> in)
    {
        const std::size_t at = written_.load(std::memory_order_relaxed);
        const std::size_t count = std::min(in.size(), samples_.size() - (at - read_.load(std::memory_order_acquire)));
        copy(in.first(count), at, [this](std::size_t i, std::span<const std::int16_t> part) {
            std::copy(part.begin(), part.end(), samples_.begin() + std::ptrdiff_t(i));
        });
        written_.store(at + count, std::memory_order_release);
        return count;
    }

    // Reads as many samples as there are, up to out's size; returns how many.
    std::size_t pop(std::span<std::int16_t> out)
    {
        const std::size_t at = read_.load(std::memory_order_relaxed);
        const std::size_t count = std::min(out.size(), written_.load(std::memory_order_acquire) - at);
        copy(out.first(count), at, [this](std::size_t i, std::span<std::int16_t> part) {
            std::copy_n(samples_.begin() + std::ptrdiff_t(i), part.size(), part.begin());
        });
        read_.store(at + count, std::memory_order_release);
        return count;
    }

    void clear() { read_.store(written_.load(std::memory_order_relaxed), std::memory_order_release); }

private:
    // Hands `span` to `part` in the pieces that lie before and after the
    // ring's end, each with the index it starts at.
    template <typename Span, typename Part>
    void copy(Span span, std::size_t at, Part part) const
    {
        const std::size_t start = at & (samples_.size() - 1);
        const std::size_t first = std::min(span.size(), samples_.size() - start);
        part(start, span.first(first));
        part(0, span.subspan(first));
    }

    std::vector<std::int16_t> samples_;
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> read_{0};
};

} // namespace pelmora
