// SPDX-License-Identifier: GPL-3.0-or-later
// The icons of the table's context menu (20 x 19 pixels, one strip).
#pragma once

#include <QIcon>

namespace MenuIcons {

enum Icon { expandAll, collapseAll, allInSummary, noneInSummary, cut, copy, paste, remove, count };

QIcon Get(Icon icon);

} // namespace MenuIcons
