// SPDX-License-Identifier: GPL-3.0-or-later
// The archive window: a filter row, the found series in a table that
// fetches its rows as they scroll into view (sortable by every column),
// and below it the trend chart of everything found.  The trend is read on
// a worker with its own connection, so a large archive never stops the
// window from painting.
#pragma once

#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

#include "archive/ArchiveLocation.h"
#include "archive/ArchiveRecords.h"

class CArchiveResultModel;
class CPaperDoc;
class CTrendChartView;
class QCheckBox;
class QDialog;
class QPushButton;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace Archive {
class CLabArchive;
struct STrendChart;
}

class CArchiveWindow : public QWidget {
    Q_OBJECT
public:
    CArchiveWindow(const Archive::SArchiveLocation& location, QWidget* parent = nullptr);
    ~CArchiveWindow() override;

    // The filter as the row sets it.
    Archive::SFindFilter Filter() const;
    // Runs the search of the filter row (also the Search button and Enter).
    void Search();

    CArchiveResultModel* Model() const { return m_model; }
    CTrendChartView* Trend() const { return m_trend; }
    QTableView* Table() const { return m_table; }
    // True while the trend of the last search is still being read.
    bool TrendPending() const;

    // The project that Open and Add to project fill (none: both disabled).
    void SetDocument(CPaperDoc* doc);
    // The archive IDs of the selected rows, in row order.
    std::vector<int64_t> SelectedIds() const;
    // Open (also a double-click): the selected series in a new project.
    bool OpenSelected();
    // Add to project: the selected series appended to the open project.
    bool AddSelected();
    // History: every revision of the current row's series side by side.
    void ShowHistory();

    void CopyPicture();
    void SavePicture();
    void PrintTrend();

signals:
    void trendReady();
    // The history dialog was opened (tests take it from here).
    void historyShown(QDialog* dialog);

private:
    void BuildFilterRow(class QBoxLayout* layout);
    void BuildTrendRow(class QBoxLayout* layout);
    void ShowFailure(const QString& message);
    void TrendArrived(int generation, std::shared_ptr<Archive::STrendChart> chart, QString error);
    void SelectRowOf(qlonglong archiveId);
    void BuildActionRow(class QBoxLayout* layout);
    void UpdateActions();

    Archive::SArchiveLocation m_location;
    std::unique_ptr<Archive::CLabArchive> m_archive;
    CArchiveResultModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    CTrendChartView* m_trend = nullptr;
    QLineEdit* m_roll = nullptr;
    QLineEdit* m_serial = nullptr;
    QCheckBox* m_useFrom = nullptr;
    QCheckBox* m_useTo = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_outside = nullptr;
    QCheckBox* m_useCov = nullptr;
    QDoubleSpinBox* m_cov = nullptr;
    QComboBox* m_axis = nullptr;
    QDoubleSpinBox* m_threshold = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_history = nullptr;
    CPaperDoc* m_doc = nullptr;
    int m_generation = 0;
    int m_arrived = 0;
};
