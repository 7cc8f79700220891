// The archive window: a filter row, the found series in a table that
// fetches its rows as they scroll into view (sortable by every column),
// and below it the trend chart of everything found.  The trend is read on
// a worker with its own connection, so a large archive never stops the
// window from painting.
#pragma once

#include <QWidget>

#include <atomic>
#include <memory>

#include "archive/ArchiveLocation.h"
#include "archive/ArchiveRecords.h"

class CArchiveResultModel;
class CTrendChartView;
class QCheckBox;
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

    void CopyPicture();
    void SavePicture();
    void PrintTrend();

signals:
    void trendReady();

private:
    void BuildFilterRow(class QBoxLayout* layout);
    void BuildTrendRow(class QBoxLayout* layout);
    void ShowFailure(const QString& message);
    void TrendArrived(int generation, std::shared_ptr<Archive::STrendChart> chart, QString error);
    void SelectRowOf(qlonglong archiveId);

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
    int m_generation = 0;
    int m_arrived = 0;
};
