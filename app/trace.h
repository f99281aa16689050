// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string_view>

namespace pelmora::trace {

// Timestamps for the benchmarks. With PELMORA_TRACE naming a file, the
// program appends one line per event: "<steady-clock µs> <event> <detail>".
// Without it, nothing is written and each call costs one branch.
bool enabled();
void event(std::string_view name, std::string_view detail = {});

} // namespace pelmora::trace
