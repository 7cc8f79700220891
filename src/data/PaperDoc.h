// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc: the project document.  It owns the original collection (as
// downloaded or loaded), the current collection (what the views show and the
// user edits) and the summary data; it reads and writes project files and
// takes the data the instrument download hands over.
//
// Project file layout (little-endian CVnArchive), in order:
//   1 text "Vantor Brelmora project file"; 2 writer version, 4 x 16-bit;
//   3 format number (16-bit, written as 3); 4 original information block and
//   5 original series (each a 32-bit length + bytes); 6 current information
//   block and 7 current series (likewise); 8 comments and 9 roll IDs of the
//   current series (32-bit count + texts); 10..19 the five device texts, the
//   original's list then the current's; 20 graph orders (count + 16-bit);
//   21 summary records (count + text, 16-bit, byte); 22 automatic value axis
//   (count + bytes, format 3 only); 23 twenty reserved 32-bit zeros.
//   Format 1 heads carry 13-byte roll IDs; format 2 has no item 22.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/DocumentInterfaces.h"
#include "data/PaperData.h"
#include "data/SummaryData.h"

namespace StreamIO {
class CVnArchive;
}

class CPaperDoc : public IChangeSink {
public:
    using Version = std::array<uint16_t, 4>;
    static constexpr uint16_t kFormat = 3;
    static const char16_t kHeaderText[];   // "Vantor Brelmora project file"

    // What ReadProject found.
    struct ReadResult {
        uint16_t format = 0;
        Version writerVersion{};
        bool complete = true;   // false: a series block was cut short
    };

    CPaperDoc();
    ~CPaperDoc() override;
    CPaperDoc(const CPaperDoc&) = delete;
    CPaperDoc& operator=(const CPaperDoc&) = delete;

    // Questions, messages and dialogs (null: questions answer "No", dialogs
    // are cancelled, messages are dropped).
    void SetUi(IDocumentUi* ui) { m_ui = ui; }
    IDocumentUi* GetUi() const { return m_ui; }

    // Views; NotifyViews calls every registered view but the sender.
    void RegisterView(IDocumentView* view);
    void UnregisterView(IDocumentView* view);
    void NotifyViews(IDocumentView* sender, int seriesIndex);

    // Project files.  Failures are reported through the UI and give false.
    bool OpenProject(const std::u16string& path);   // empty: open dialog first
    bool SaveProject();
    bool SaveProjectAs();
    // Writes the whole document to `path` through a temporary file in the
    // same folder that replaces the target only when completely written;
    // clears the change mark on success.
    bool WriteProject(const std::u16string& path);
    bool CloseProject();

    // Reads a project stream (merge: append the current series, leave the
    // original alone).  Throws Platform::CFileException for archive errors
    // and rejected content (13); what was read before stays.
    ReadResult ReadProject(StreamIO::CVnArchive& archive, bool merge);
    // Writes the document; with a selection (one byte per current series)
    // only the selected current series and no original series.
    void WriteProject(StreamIO::CVnArchive& archive, const uint8_t* selection = nullptr) const;

    // Clipboard transfer of series through the process clipboard
    // (data/Clipboard.h) and the RAM file "RAM:ClipRamStream"
    // (PaperDocClipboard.cpp).
    // Puts the selected current series (one byte per series, non-zero =
    // selected) on the clipboard; false, with the clipboard untouched, when
    // the selection does not cover every series or writing failed.
    bool CopyToClipboard(const std::vector<uint8_t>& selection);
    // Appends the series on the clipboard, re-sorts, sets the change mark and
    // notifies the views.  All or nothing: damaged clipboard data is refused
    // with a message and changes nothing.  False when nothing was pasted.
    bool PasteFromClipboard();
    // The clipboard holds series data with a non-zero length.
    bool CanPaste() const;
    // Appends the current series of `other` as a paste of them would (the
    // original collection stays as it is); false when nothing was added.
    bool AppendProject(const CPaperDoc& other);

    // Full path, or the file name without its extension when shortTitle;
    // without a path "Unnamed" when there are series, else empty.
    std::u16string GetTitle(bool shortTitle) const;
    const std::u16string& GetPath() const { return m_path; }

    // The current collection becomes a copy of the original.
    void RestoreOriginal();
    // Data handed over by the instrument download.
    bool StoreDownloadedInfo(const uint8_t* data, size_t size);
    bool StoreDownloadedSeries(const uint8_t* data, size_t size);

    void SetAllInSummary(bool value);
    // Returns the previous value.
    bool SetInSummary(int i, bool value);

    // The summary: record 0 of the summary data (PaperDocSummary.cpp).
    // Rebuilds it from the ticked current series (unticking those of the
    // other kind, Q or R); false when the current collection is empty.
    bool BuildSummary();
    // Statistics in the summary's averaging mode.
    SummaryStatistics GetSummaryStatistics();
    uint8_t GetSummaryAveragingMode() const;          // 2 mean, 1 median
    void SetSummaryAveragingMode(uint8_t mode);
    int16_t GetSummaryDisplaySetting() const;         // order of the diagram, -1 unset
    void SetSummaryDisplaySetting(int16_t value);
    uint8_t GetSummaryUnit() const;                   // R flag
    std::u16string GetSummaryUnitText() const;
    int GetSummaryDisplayInfo() const;                // decimals
    int GetSummaryCount() const;                      // entries
    uint8_t GetSummaryValue(int entry) const;         // mean Q in half steps
    float GetSummaryConvertedMean(int entry) const;   // 65535: no value
    uint16_t GetSummaryCounter(int entry) const;
    int GetSummarySeriesIndex(int entry) const;
    std::u16string GetSummaryRollId(int entry) const;
    uint8_t GetSummaryEntryFlag(int entry) const;
    std::u16string GetSummaryComment() const;
    void SetSummaryComment(const std::u16string& text);   // marks the document changed
    std::u16string GetSummarySerial() const;
    uint32_t GetSummaryEarliest() const;
    uint32_t GetSummaryLatest() const;

    bool HasChangeMark() const { return m_changeMark; }
    void SetChangeMark() { m_changeMark = true; }
    bool TakeChangeMark();
    bool IsDataChanged() const { return m_dataChanged; }
    void SetDataChanged(bool value) { m_dataChanged = value; }
    bool IsEnergyMode() const { return m_energyMode; }
    void SetEnergyMode(bool value) { m_energyMode = value; }

    CPaperData& GetOriginal() { return m_original; }
    const CPaperData& GetOriginal() const { return m_original; }
    CPaperData& GetCurrent() { return m_current; }
    const CPaperData& GetCurrent() const { return m_current; }
    CSummaryData& GetSummary() { return m_summary; }
    const CSummaryData& GetSummary() const { return m_summary; }

    // The program version written into project files (default: this build's).
    void SetWriterVersion(const Version& version) { m_writerVersion = version; }
    const Version& GetWriterVersion() const { return m_writerVersion; }
    // Format, writer version and completeness of the last successful open.
    uint16_t GetLoadedFormat() const { return m_loaded.format; }
    const Version& GetLoadedWriterVersion() const { return m_loaded.writerVersion; }
    bool WasLoadedComplete() const { return m_loaded.complete; }

    // Called by the current collection and the summary when their setters
    // ran; userEdit: a stored value really changed (sets the change mark).
    void OnDataChanged(bool userEdit) override;

    // Pass-through to the current collection.
    int GetCount() const { return m_current.GetCount(); }
    bool HasSeries() const { return m_current.HasSeries(); }
    int GetImpactCount(int i) const { return m_current.GetImpactCount(i); }
    uint16_t GetCounter(int i) const { return m_current.GetCounter(i); }
    uint32_t GetDateTime(int i) const { return m_current.GetDateTime(i); }
    void SetDateTime(int i, uint32_t v) { m_current.SetDateTime(i, v); }
    uint8_t GetRFlag(int i) const { return m_current.GetRFlag(i); }
    void SetRFlag(int i, uint8_t v) { m_current.SetRFlag(i, v); }
    uint8_t GetFactor(int i) const { return m_current.GetFactor(i); }
    void SetFactor(int i, uint8_t v) { m_current.SetFactor(i, v); }
    uint8_t GetLowerLimit(int i) const { return m_current.GetLowerLimit(i); }
    void SetLowerLimit(int i, uint8_t v) { m_current.SetLowerLimit(i, v); }
    uint8_t GetUpperLimit(int i) const { return m_current.GetUpperLimit(i); }
    void SetUpperLimit(int i, uint8_t v) { m_current.SetUpperLimit(i, v); }
    std::u16string GetRollId(int i) const { return m_current.GetRollId(i); }
    void SetRollId(int i, const std::u16string& t) { m_current.SetRollId(i, t); }
    std::u16string GetComment(int i) const { return m_current.GetComment(i); }
    void SetComment(int i, const std::u16string& t) { m_current.SetComment(i, t); }
    std::u16string GetSerial(int i) const { return m_current.GetSerial(i); }
    std::u16string GetDeviceText(int i, int which) const { return m_current.GetDeviceText(i, which); }
    std::u16string GetLowerLimitText(int i) const { return m_current.GetLowerLimitText(i); }
    std::u16string GetUpperLimitText(int i) const { return m_current.GetUpperLimitText(i); }
    std::u16string GetUnitText(int i) const { return m_current.GetUnitText(i); }
    int16_t GetGraphOrder(int i) const { return m_current.GetGraphOrder(i); }
    void SetGraphOrder(int i, int16_t v) { m_current.SetGraphOrder(i, v); }
    bool GetAutoAxis(int i) const { return m_current.GetAutoAxis(i); }
    void SetAutoAxis(int i, bool v) { m_current.SetAutoAxis(i, v); }
    bool GetExpanded(int i) const { return m_current.GetExpanded(i); }
    void SetExpanded(int i, bool v) { m_current.SetExpanded(i, v); }
    bool GetInSummary(int i) const { return m_current.GetInSummary(i); }
    uint8_t GetValue(int i, int k, bool raw) const { return m_current.GetValue(i, k, raw); }
    const MEAS_T& GetImpact(int i, int k) const { return m_current.GetImpact(i, k); }
    SeriesStatistics ComputeStatistics(int i) const { return m_current.ComputeStatistics(i); }
    int GetDisplayInfo(int i) const { return m_current.GetDisplayInfo(i); }
    void Sort(uint8_t mode) { m_current.Sort(mode); }
    uint8_t GetSortMode() const { return m_current.GetSortMode(); }
    void DeleteSeries(int i) { m_current.DeleteSeries(i); }

private:
    std::u16string LoadText(uint32_t id) const;
    // The paste's merge of project bytes: all or nothing (PaperDocClipboard.cpp).
    bool MergeProjectBytes(const uint8_t* bytes, size_t size);
    IDocumentUi::Answer Ask(uint32_t id) const;
    void Message(int kind, const std::u16string& text) const;
    SFileDialogRequest ProjectDialog(const std::u16string& initialName, bool save) const;

    CPaperData m_original;
    CPaperData m_current;
    CSummaryData m_summary;
    std::vector<IDocumentView*> m_views;
    IDocumentUi* m_ui = nullptr;
    std::u16string m_path;
    bool m_changeMark = false;
    bool m_dataChanged = false;
    bool m_energyMode = false;
    Version m_writerVersion;
    ReadResult m_loaded;
    bool m_headingRead = false;   // the last ReadProject got past the file heading
};
