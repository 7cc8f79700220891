// SPDX-License-Identifier: GPL-3.0-or-later
// CSeriesNamesModel: the series names manager without widgets.  It shows the
// list of up to 50 series names stored on the connected Veltrano as 50 rows
// and edits it in place: every edit, insert, delete, paste and undo is
// written to the instrument at once and the list is then read back, so the
// rows always hold what the instrument holds.  The instrument is reached
// through the connection driver; the dialog binds its grid to the model and
// does the flashing of the rows the model flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/VnCommands.h"

class CPaperConnection;

namespace Device {
class CVeltranoDevice;
}

class ISeriesNamesView {
public:
    virtual ~ISeriesNamesView() = default;
    // Row texts, name marks, focus or the Undo state changed.
    virtual void OnNamesChanged() = 0;
    // Shows the status marks of `rows` (1 to 50), hides them and shows them
    // again, pausing `pauseMs` between the steps.
    virtual void FlashRows(const std::vector<int>& rows, int pauseMs) = 0;
    // A message with OK only (the 50-names message).
    virtual void ShowMessage(int kind, const std::u16string& text) = 0;
};

class CSeriesNamesModel {
public:
    static constexpr int kRows = 50;
    static constexpr int kFlashMs = 100;
    static constexpr int kPasteFlashMs = 30;
    // The name Insert writes: the instrument stores it like any other name
    // until the user overwrites it, so it is not translated.
    static const char16_t kInsertedName[];

    CSeriesNamesModel(CPaperConnection& connection, ISeriesNamesView* view);

    // Connects (without a forced check); false when no instrument is held,
    // and the dialog then ends.  Otherwise reads the list back; Undo is
    // disabled.
    bool Open();

    // Rows are numbered 1 to 50.
    const std::u16string& GetText(int row) const;
    // False for the rows the instrument holds no name for (the status mark).
    bool HoldsName(int row) const;
    // The names read last: rows 1 to this count hold them.
    int GetNameCount() const;
    bool IsFlagged(int row) const;
    // 0: no row has the focus.
    int GetFocusRow() const { return m_focus; }
    void SetFocusRow(int row);
    // True when the history holds more than one snapshot.
    bool CanUndo() const;
    // The undo history: 50 texts per snapshot.
    const std::vector<std::u16string>& GetHistory() const { return m_history; }
    // Row 50 holds a name: Insert is refused.
    bool IsFull() const { return !m_grid[kRows - 1].empty(); }

    // The operations; each is skipped (false) when the driver holds no
    // instrument.  True when every write succeeded and the list was read
    // back; otherwise GetLastFailure says what failed.

    // End of editing row `row` with `text`: a name typed below the first
    // empty row moves up to it (the list keeps no gaps); then the rows are
    // stored and read back.  `storedRow` receives the row the name went to.
    // A text the instrument cannot store is refused with a message naming
    // it, and the row keeps its name.
    bool EndEdit(int row, const std::u16string& text, int* storedRow = nullptr);
    // Inserts `text` at the focused row (with no focus at the first empty
    // row); refused with the 50-names message when row 50 holds a name.
    bool Insert(const std::u16string& text = kInsertedName);
    // Deletes the given rows (the rows of every selected cell); the focus
    // moves up by the number of deleted rows at or above it.
    bool Delete(const std::vector<int>& rows);
    // Writes the lines of `text` into the rows from the focused one (row 1
    // with no focus) on, each read back at once; stops after row 50.  When a
    // line the rows take cannot be stored, nothing is written and the
    // message names the line.
    bool Paste(const std::u16string& text);
    // Puts the state before the last change back on the instrument.
    bool Undo();
    // Clears the names from `row` on (command 2055 clears from row 1).
    bool ClearFrom(int row);
    // The texts of `rows` as lines, for copying.
    std::u16string CopyText(const std::vector<int>& rows) const;

    // Whether the instrument can store `text` as it stands: it keeps one
    // byte per character, so only characters up to U+00FF.
    static bool IsStorable(const std::u16string& text);

    // Splits pasted text into the lines Paste writes: at "\n", white space
    // removed from each line's end, without the empty line after a final
    // line break.
    static std::vector<std::u16string> PasteLines(const std::u16string& text);

    Device::ELinkFailure GetLastFailure() const { return m_failure; }
    uint8_t GetLastInstrumentError() const { return m_instrumentError; }

private:
    Device::CVeltranoDevice* Device() const;
    bool ReadBack();
    bool StoreGrid();
    // The first row whose text is empty, 0 when none is.
    int FirstEmptyRow() const;
    void Flag(int row);
    void Flash(int pauseMs);
    // Records why a device operation failed (the first failure counts).
    bool Check(bool ok);
    void BeginOperation();
    void Changed();
    // Shows the message that `text` cannot be stored; false.
    bool RefuseText(const std::u16string& text);
    static bool IsRow(int row) { return row >= 1 && row <= kRows; }

    CPaperConnection& m_connection;
    ISeriesNamesView* m_view;
    std::array<std::u16string, kRows> m_grid;
    std::array<std::u16string, kRows> m_lastRead;
    std::array<bool, kRows> m_holdsName{};
    int m_nameCount = 0;
    std::array<bool, kRows + 1> m_flags{};
    std::vector<std::u16string> m_history;
    int m_focus = 0;
    Device::ELinkFailure m_failure = Device::ELinkFailure::None;
    uint8_t m_instrumentError = 0;
};
