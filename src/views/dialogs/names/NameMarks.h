// SPDX-License-Identifier: GPL-3.0-or-later
// The marks of the series names manager's status column: one strip of
// three 21 x 19 pictures.  A name held by the instrument, a row being
// written, a row the instrument holds no name for.
#pragma once

#include <QIcon>

namespace NameMarks {

enum Mark { none = -1, stored = 0, writing = 1, noName = 2, count = 3 };

constexpr int kWidth = 21;
constexpr int kHeight = 19;

QIcon Get(Mark mark);

} // namespace NameMarks
