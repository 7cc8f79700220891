// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/SeriesNames.h"

#include <algorithm>

#include "connection/ConnectionStrings.h"
#include "connection/PaperConnection.h"
#include "device/VeltranoDevice.h"
#include "platform/Prompt.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

const char16_t CSeriesNamesModel::kInsertedName[] = u"<empty>";

namespace {

const std::u16string kNoText;

bool IsTrailingSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

} // namespace

CSeriesNamesModel::CSeriesNamesModel(CPaperConnection& connection, ISeriesNamesView* view)
    : m_connection(connection), m_view(view)
{
}

Device::CVeltranoDevice* CSeriesNamesModel::Device() const
{
    return m_connection.GetDevice();
}

const std::u16string& CSeriesNamesModel::GetText(int row) const
{
    return IsRow(row) ? m_grid[static_cast<size_t>(row - 1)] : kNoText;
}

bool CSeriesNamesModel::HoldsName(int row) const
{
    return IsRow(row) && m_holdsName[static_cast<size_t>(row - 1)];
}

int CSeriesNamesModel::GetNameCount() const
{
    return m_nameCount;
}

bool CSeriesNamesModel::IsFlagged(int row) const
{
    return row >= 0 && row <= kRows && m_flags[static_cast<size_t>(row)];
}

void CSeriesNamesModel::SetFocusRow(int row)
{
    m_focus = IsRow(row) ? row : 0;
}

bool CSeriesNamesModel::CanUndo() const
{
    return m_history.size() > static_cast<size_t>(kRows);
}

void CSeriesNamesModel::Changed()
{
    if (m_view != nullptr)
        m_view->OnNamesChanged();
}

void CSeriesNamesModel::BeginOperation()
{
    m_failure = Device::ELinkFailure::None;
    m_instrumentError = 0;
}

bool CSeriesNamesModel::Check(bool ok)
{
    if (ok || m_failure != Device::ELinkFailure::None)
        return ok;
    Device::CVeltranoDevice* device = Device();
    Device::CVnCommands* commands = device != nullptr ? device->GetCommands() : nullptr;
    m_failure = commands != nullptr ? commands->GetLastFailure() : Device::ELinkFailure::HangUp;
    if (m_failure == Device::ELinkFailure::None)
        m_failure = Device::ELinkFailure::Refused;
    m_instrumentError = commands != nullptr ? commands->GetLastInstrumentError() : 0;
    return false;
}

void CSeriesNamesModel::Flag(int row)
{
    if (IsRow(row))
        m_flags[static_cast<size_t>(row)] = true;
}

void CSeriesNamesModel::Flash(int pauseMs)
{
    std::vector<int> rows;
    for (int row = 1; row <= kRows; ++row) {
        if (m_flags[static_cast<size_t>(row)])
            rows.push_back(row);
    }
    if (m_view != nullptr && !rows.empty())
        m_view->FlashRows(rows, pauseMs);
    m_flags.fill(false);
}

int CSeriesNamesModel::FirstEmptyRow() const
{
    for (int row = 1; row <= kRows; ++row) {
        if (m_grid[static_cast<size_t>(row - 1)].empty())
            return row;
    }
    return 0;
}

bool CSeriesNamesModel::Open()
{
    BeginOperation();
    if (!m_connection.Connect(true))
        return Check(false);
    m_history.clear();
    const bool ok = ReadBack();
    Changed();
    return ok;
}

// Reads the instrument's list into the rows and appends a snapshot to the
// history.  A list that cannot be read leaves the rows as they were: showing
// an empty list instead would make the next store overwrite names the
// instrument still holds.
bool CSeriesNamesModel::ReadBack()
{
    // The step before found the instrument gone and the wizard gave none:
    // the operation ends here rather than asking for it a second time.
    if (Device() == nullptr)
        return Check(false);
    if (!m_connection.Connect(false))
        return Check(false);
    std::vector<std::u16string> names;
    if (!Check(Device()->ReadStringList(names)))
        return false;
    if (names.size() > static_cast<size_t>(kRows))
        names.resize(kRows);
    m_nameCount = static_cast<int>(names.size());
    for (size_t i = 0; i < static_cast<size_t>(kRows); ++i) {
        const bool held = i < names.size();
        m_lastRead[i] = held ? names[i] : std::u16string();
        m_grid[i] = m_lastRead[i];
        m_holdsName[i] = held;
    }
    m_history.insert(m_history.end(), m_grid.begin(), m_grid.end());
    Changed();
    return true;
}

// Writes every row that differs from the list read last.  An emptied row
// followed only by empty rows clears the names from its slot on; an emptied
// row followed by names is left as the instrument has it.
bool CSeriesNamesModel::StoreGrid()
{
    if (!m_connection.Connect(false))
        return Check(false);
    Device::CVeltranoDevice& device = *Device();
    bool ok = true;
    for (int i = 0; i < kRows; ++i) {
        const std::u16string& text = m_grid[static_cast<size_t>(i)];
        if (text == m_lastRead[static_cast<size_t>(i)])
            continue;
        if (!text.empty()) {
            ok = Check(device.WriteString(i, text)) && ok;
            Changed();
            continue;
        }
        const bool restEmpty =
            std::all_of(m_grid.begin() + i + 1, m_grid.end(), [](const std::u16string& t) { return t.empty(); });
        if (restEmpty) {
            ok = Check(device.WriteStringMask(~uint64_t{0} << i)) && ok;
            break;
        }
    }
    return ok;
}

bool CSeriesNamesModel::IsStorable(const std::u16string& text)
{
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 0xFF; });
}

bool CSeriesNamesModel::RefuseText(const std::u16string& text)
{
    m_failure = Device::ELinkFailure::Refused;
    if (m_view != nullptr) {
        m_view->ShowMessage(IPrompt::messageWarning,
                            Platform::FormatU(Platform::LoadString(ConnectionStrings::kNameNotStorable).c_str(),
                                              Platform::ToUtf8(text).c_str()));
    }
    Changed();
    return false;
}

bool CSeriesNamesModel::EndEdit(int row, const std::u16string& text, int* storedRow)
{
    BeginOperation();
    if (storedRow != nullptr)
        *storedRow = row;
    if (!IsRow(row) || Device() == nullptr)
        return Check(false);
    // Written byte by byte, such a name would come back as other characters.
    if (!IsStorable(text))
        return RefuseText(text);
    m_grid[static_cast<size_t>(row - 1)] = text;
    Flag(row);
    Flash(kFlashMs);
    const int empty = FirstEmptyRow();
    if (empty != 0 && empty < row) {
        m_grid[static_cast<size_t>(empty - 1)] = text;
        m_grid[static_cast<size_t>(row - 1)].clear();
        if (storedRow != nullptr)
            *storedRow = empty;
    }
    const bool stored = StoreGrid();
    const bool read = ReadBack();
    return stored && read;
}

bool CSeriesNamesModel::Insert(const std::u16string& text)
{
    BeginOperation();
    if (!m_connection.Connect(true))
        return Check(false);
    if (IsFull()) {
        if (m_view != nullptr)
            m_view->ShowMessage(IPrompt::messageWarning, Platform::LoadString(ConnectionStrings::kNamesFull));
        return false;
    }
    int target = m_focus;
    if (!IsRow(target)) {
        target = FirstEmptyRow();
        if (target == 0)
            target = 1;
    }
    Flag(target);
    Flash(kFlashMs);
    const bool written = Check(Device()->WriteStringAlt(target - 1, text));
    const bool read = ReadBack();
    m_focus = target;
    Changed();
    return written && read;
}

bool CSeriesNamesModel::Delete(const std::vector<int>& rows)
{
    BeginOperation();
    if (Device() == nullptr)
        return Check(false);
    uint64_t mask = 0;
    for (int row : rows) {
        if (!IsRow(row))
            continue;
        mask |= uint64_t{1} << (row - 1);
        Flag(row);
    }
    if (mask == 0)
        return true;
    Flash(kFlashMs);
    const bool written = Check(Device()->WriteStringMask(mask));
    const bool read = ReadBack();
    if (m_focus != 0) {
        int above = 0;
        for (int row = 1; row <= m_focus; ++row)
            above += (mask >> (row - 1)) & 1 ? 1 : 0;
        m_focus = std::max(1, m_focus - above);
    }
    Changed();
    return written && read;
}

std::vector<std::u16string> CSeriesNamesModel::PasteLines(const std::u16string& text)
{
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(u'\n', start);
        std::u16string line = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        while (!line.empty() && IsTrailingSpace(line.back()))
            line.pop_back();
        if (end == std::u16string::npos) {
            // The piece after a final line break is no line of its own:
            // written, it would clear the name in the row below the text.
            if (start < text.size())
                lines.push_back(std::move(line));
            break;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool CSeriesNamesModel::Paste(const std::u16string& text)
{
    BeginOperation();
    if (Device() == nullptr)
        return Check(false);
    int row = IsRow(m_focus) ? m_focus : 1;
    const std::vector<std::u16string> lines = PasteLines(text);
    const size_t taken = std::min(lines.size(), static_cast<size_t>(kRows - row + 1));
    for (size_t i = 0; i < taken; ++i) {
        if (!IsStorable(lines[i]))
            return RefuseText(lines[i]);
    }
    bool ok = true;
    for (const std::u16string& line : lines) {
        if (row > kRows)
            break;
        Flag(row);
        Flash(kPasteFlashMs);
        if (Device() == nullptr)
            return Check(false);
        ok = Check(Device()->WriteString(row - 1, line)) && ok;
        ok = ReadBack() && ok;
        ++row;
    }
    return ok;
}

bool CSeriesNamesModel::Undo()
{
    BeginOperation();
    if (!CanUndo()) {
        Changed();
        return false;
    }
    if (Device() == nullptr)
        return Check(false);
    const size_t rows = static_cast<size_t>(kRows);
    const size_t snapshots = m_history.size() / rows;
    std::copy_n(m_history.begin() + static_cast<long>((snapshots - 2) * rows), rows, m_grid.begin());
    m_history.resize((snapshots - 2) * rows);
    const bool stored = StoreGrid();
    const bool read = ReadBack();
    Changed();
    return stored && read;
}

bool CSeriesNamesModel::ClearFrom(int row)
{
    BeginOperation();
    if (!IsRow(row) || Device() == nullptr)
        return Check(false);
    for (int r = row; r <= kRows; ++r) {
        if (HoldsName(r))
            Flag(r);
    }
    Flash(kFlashMs);
    const bool written = Check(Device()->WriteStringMask(~uint64_t{0} << (row - 1)));
    const bool read = ReadBack();
    return written && read;
}

std::u16string CSeriesNamesModel::CopyText(const std::vector<int>& rows) const
{
    std::u16string text;
    for (int row : rows) {
        if (!IsRow(row))
            continue;
        if (!text.empty())
            text += u"\r\n";
        text += GetText(row);
    }
    return text;
}
