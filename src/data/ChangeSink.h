// SPDX-License-Identifier: GPL-3.0-or-later
// IChangeSink: what a collection of series or the summary tells its owner
// when one of its setters changed something.  The project document is the
// owner in the program; a collection without one tells nobody.
#pragma once

class IChangeSink {
public:
    virtual ~IChangeSink() = default;
    // userEdit: a value the user stores changed (the change mark is set);
    // false for view state (expanded rows, graph order, ticks).
    virtual void OnDataChanged(bool userEdit) = 0;
};
