// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting of the instrument's semicolon-separated answers.
#pragma once

#include <string>
#include <vector>

namespace Device {

// The fields of `text` between `separator`s; empty fields are dropped (the
// behaviour of a tokenizer that skips empty tokens).
std::vector<std::string> SplitNonEmpty(const std::string& text, char separator = ';');

} // namespace Device
