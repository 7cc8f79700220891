// SPDX-License-Identifier: GPL-3.0-or-later
// CPaperDoc: the summary operations, all on record 0 of the summary data.
#include "data/PaperDoc.h"

bool CPaperDoc::BuildSummary() { return m_summary.Build(m_current); }
SummaryStatistics CPaperDoc::GetSummaryStatistics() { return m_summary.ComputeStatistics(); }

uint8_t CPaperDoc::GetSummaryAveragingMode() const { return m_summary.GetAveragingMode(); }
void CPaperDoc::SetSummaryAveragingMode(uint8_t mode) { m_summary.SetAveragingMode(mode); }
int16_t CPaperDoc::GetSummaryDisplaySetting() const { return m_summary.GetDisplaySetting(); }
void CPaperDoc::SetSummaryDisplaySetting(int16_t value) { m_summary.SetDisplaySetting(value); }
uint8_t CPaperDoc::GetSummaryUnit() const { return m_summary.GetUnit(); }
std::u16string CPaperDoc::GetSummaryUnitText() const { return m_summary.GetUnitText(); }
int CPaperDoc::GetSummaryDisplayInfo() const { return m_summary.GetDisplayInfo(); }

int CPaperDoc::GetSummaryCount() const { return m_summary.GetEntryCount(); }
uint8_t CPaperDoc::GetSummaryValue(int entry) const { return m_summary.GetEntryValue(entry); }
float CPaperDoc::GetSummaryConvertedMean(int entry) const { return m_summary.GetEntryConvertedMean(entry); }
uint16_t CPaperDoc::GetSummaryCounter(int entry) const { return m_summary.GetEntryCounter(entry); }
int CPaperDoc::GetSummarySeriesIndex(int entry) const { return m_summary.GetEntrySeriesIndex(entry); }
std::u16string CPaperDoc::GetSummaryRollId(int entry) const { return m_summary.GetEntryRollId(entry); }
uint8_t CPaperDoc::GetSummaryEntryFlag(int entry) const { return m_summary.GetEntryFlag(entry); }

std::u16string CPaperDoc::GetSummaryComment() const { return m_summary.GetComment(); }
void CPaperDoc::SetSummaryComment(const std::u16string& text) { m_summary.SetComment(text); }
std::u16string CPaperDoc::GetSummarySerial() const { return m_summary.GetSerial(); }
uint32_t CPaperDoc::GetSummaryEarliest() const { return m_summary.GetEarliest(); }
uint32_t CPaperDoc::GetSummaryLatest() const { return m_summary.GetLatest(); }
