// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/archive/ArchiveWindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <thread>

#include "archive/ArchiveError.h"
#include "archive/ArchiveProject.h"
#include "archive/LabArchive.h"
#include "archive/TrendChart.h"
#include "data/AtomicFile.h"
#include "platform/DateTimeFormat.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "views/ViewText.h"
#include "views/archive/ArchiveHistoryDlg.h"
#include "views/archive/ArchiveResultModel.h"
#include "views/archive/ArchiveViewStrings.h"
#include "views/trend/TrendChartView.h"
#include "views/trend/TrendPicture.h"

namespace {

using namespace ArchiveViewStrings;

QString T(uint32_t id)
{
    return ViewText::Load(id);
}

uint32_t SeriesTime(const QDate& date, bool endOfDay)
{
    std::tm t{};
    t.tm_year = date.year() - 1900;
    t.tm_mon = date.month() - 1;
    t.tm_mday = date.day();
    if (endOfDay) {
        t.tm_hour = 23;
        t.tm_min = 59;
        t.tm_sec = 59;
    }
    return Platform::LocalToSeriesTime(t);
}

} // namespace

CArchiveWindow::CArchiveWindow(const Archive::SArchiveLocation& location, QWidget* parent)
    : QWidget(parent, Qt::Window), m_location(location)
{
    setWindowTitle(ViewText::LoadFormat(kTitle, Platform::ToUtf8(location.display).c_str()));
    auto* layout = new QVBoxLayout(this);
    BuildFilterRow(layout);

    m_model = new CArchiveResultModel(this);
    connect(m_model, &CArchiveResultModel::failed, this, &CArchiveWindow::ShowFailure);
    m_table = new QTableView;
    m_table->setModel(m_model);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(CArchiveResultModel::colTime, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_trend = new CTrendChartView;
    auto* splitter = new QSplitter(Qt::Vertical);
    auto* tableBox = new QWidget;
    auto* tableLayout = new QVBoxLayout(tableBox);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(m_table, 1);
    BuildActionRow(tableLayout);
    splitter->addWidget(tableBox);
    auto* trendBox = new QWidget;
    auto* trendLayout = new QVBoxLayout(trendBox);
    trendLayout->setContentsMargins(0, 0, 0, 0);
    BuildTrendRow(trendLayout);
    trendLayout->addWidget(m_trend, 1);
    splitter->addWidget(trendBox);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    m_status = new QLabel;
    layout->addWidget(m_status);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (const Archive::SArchivedRevision* r = m_model->Row(current.row()))
                    m_trend->SelectArchiveId(r->measurementId);
            });
    connect(m_trend, &CTrendChartView::pointClicked, this, &CArchiveWindow::SelectRowOf);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CArchiveWindow::UpdateActions);
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this] { OpenSelected(); });

    try {
        m_archive = Archive::CLabArchive::Open(m_location, Archive::CLabArchive::EMode::Read);
        m_model->SetArchive(m_archive.get());
    } catch (const Archive::CArchiveError& e) {
        ShowFailure(QString::fromUtf8(e.what()));
    }
    resize(1100, 800);
    if (m_archive)
        Search();
}

CArchiveWindow::~CArchiveWindow() = default;

void CArchiveWindow::BuildActionRow(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    m_open = new QPushButton(T(kOpen));
    m_open->setToolTip(T(kOpenTip));
    m_add = new QPushButton(T(kAddToProject));
    m_add->setToolTip(T(kAddToProjectTip));
    m_history = new QPushButton(T(kHistory));
    m_history->setToolTip(T(kHistoryTip));
    connect(m_open, &QPushButton::clicked, this, [this] { OpenSelected(); });
    connect(m_add, &QPushButton::clicked, this, [this] { AddSelected(); });
    connect(m_history, &QPushButton::clicked, this, &CArchiveWindow::ShowHistory);
    row->addWidget(m_open);
    row->addWidget(m_add);
    row->addWidget(m_history);
    row->addStretch(1);
    layout->addLayout(row);
    UpdateActions();
}

void CArchiveWindow::UpdateActions()
{
    const bool any = m_table && m_table->selectionModel() && m_table->selectionModel()->hasSelection();
    m_open->setEnabled(any && m_doc);
    m_add->setEnabled(any && m_doc);
    m_history->setEnabled(any);
}

void CArchiveWindow::SetDocument(CPaperDoc* doc)
{
    m_doc = doc;
    UpdateActions();
}

std::vector<int64_t> CArchiveWindow::SelectedIds() const
{
    std::vector<int64_t> ids;
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        if (const Archive::SArchivedRevision* r = m_model->Row(index.row()))
            ids.push_back(r->measurementId);
    return ids;
}

bool CArchiveWindow::OpenSelected()
{
    const std::vector<int64_t> ids = SelectedIds();
    if (!m_archive || !m_doc || ids.empty())
        return false;
    try {
        return Archive::OpenInNewProject(*m_archive, ids, *m_doc);
    } catch (const Archive::CArchiveError& e) {
        ShowFailure(QString::fromUtf8(e.what()));
    }
    return false;
}

bool CArchiveWindow::AddSelected()
{
    const std::vector<int64_t> ids = SelectedIds();
    if (!m_archive || !m_doc || ids.empty())
        return false;
    try {
        return Archive::AppendToProject(*m_archive, ids, *m_doc);
    } catch (const Archive::CArchiveError& e) {
        ShowFailure(QString::fromUtf8(e.what()));
    }
    return false;
}

void CArchiveWindow::ShowHistory()
{
    QModelIndex index = m_table->currentIndex();
    if (!index.isValid() || !m_table->selectionModel()->isRowSelected(index.row(), QModelIndex())) {
        const QModelIndexList rows = m_table->selectionModel()->selectedRows();
        if (rows.isEmpty())
            return;
        index = rows.front();
    }
    const Archive::SArchivedRevision* row = m_model->Row(index.row());
    if (!m_archive || !row)
        return;
    std::vector<Archive::SArchivedRevision> history;
    try {
        history = m_archive->History(row->measurementId);
    } catch (const Archive::CArchiveError& e) {
        ShowFailure(QString::fromUtf8(e.what()));
        return;
    }
    auto* dialog = new CArchiveHistoryDlg(history, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    emit historyShown(dialog);
}

void CArchiveWindow::BuildFilterRow(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    m_roll = new QLineEdit;
    m_roll->setObjectName(QStringLiteral("rollPattern"));
    m_roll->setPlaceholderText(T(kRollPattern));
    m_roll->setToolTip(T(kRollPatternTip));
    m_serial = new QLineEdit;
    m_serial->setPlaceholderText(T(kSerial));
    m_useFrom = new QCheckBox(T(kFrom));
    m_from = new QDateEdit(QDate::currentDate().addMonths(-1));
    m_from->setCalendarPopup(true);
    m_useTo = new QCheckBox(T(kTo));
    m_to = new QDateEdit(QDate::currentDate());
    m_to->setCalendarPopup(true);
    m_outside = new QCheckBox(T(kOutsideOnly));
    m_useCov = new QCheckBox(T(kCovAbove));
    m_cov = new QDoubleSpinBox;
    m_cov->setRange(0, 100);
    m_cov->setDecimals(1);
    m_cov->setValue(6);
    auto* search = new QPushButton(T(kSearch));
    search->setDefault(true);
    for (QWidget* w : std::initializer_list<QWidget*>{m_roll, m_serial, m_useFrom, m_from, m_useTo, m_to, m_outside,
                                                      m_useCov, m_cov, search})
        row->addWidget(w);
    connect(search, &QPushButton::clicked, this, &CArchiveWindow::Search);
    connect(m_roll, &QLineEdit::returnPressed, this, &CArchiveWindow::Search);
    connect(m_serial, &QLineEdit::returnPressed, this, &CArchiveWindow::Search);
    layout->addLayout(row);
}

void CArchiveWindow::BuildTrendRow(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    m_axis = new QComboBox;
    m_axis->addItem(T(kTimeAxis));
    m_axis->addItem(T(kSequenceAxis));
    connect(m_axis, &QComboBox::currentIndexChanged, this, [this](int i) { m_trend->SetTimeAxis(i == 0); });
    m_threshold = new QDoubleSpinBox;
    m_threshold->setRange(0.1, 100);
    m_threshold->setDecimals(1);
    m_threshold->setValue(6);
    m_threshold->setSuffix(QStringLiteral(" %"));
    connect(m_threshold, &QDoubleSpinBox::valueChanged, this, [this](double v) { m_trend->SetCovThreshold(v); });
    auto* copy = new QPushButton(T(kCopyPicture));
    auto* save = new QPushButton(T(kSavePicture));
    auto* print = new QPushButton(T(kPrint));
    connect(copy, &QPushButton::clicked, this, &CArchiveWindow::CopyPicture);
    connect(save, &QPushButton::clicked, this, &CArchiveWindow::SavePicture);
    connect(print, &QPushButton::clicked, this, &CArchiveWindow::PrintTrend);
    row->addWidget(m_axis);
    row->addWidget(new QLabel(T(kThreshold)));
    row->addWidget(m_threshold);
    row->addStretch(1);
    row->addWidget(copy);
    row->addWidget(save);
    row->addWidget(print);
    layout->addLayout(row);
}

Archive::SFindFilter CArchiveWindow::Filter() const
{
    Archive::SFindFilter f;
    if (!m_roll->text().trimmed().isEmpty())
        f.rollPattern = ViewText::U(m_roll->text().trimmed());
    if (!m_serial->text().trimmed().isEmpty())
        f.serial = ViewText::U(m_serial->text().trimmed());
    if (m_useFrom->isChecked())
        f.from = SeriesTime(m_from->date(), false);
    if (m_useTo->isChecked())
        f.to = SeriesTime(m_to->date(), true);
    f.outsideLimitsOnly = m_outside->isChecked();
    if (m_useCov->isChecked())
        f.covAbove = m_cov->value();
    return f;
}

void CArchiveWindow::Search()
{
    if (!m_archive)
        return;
    m_status->clear();
    const Archive::SFindFilter filter = Filter();
    m_model->SetFilter(filter);
    // The trend reads every found series: on a worker, with its own
    // connection; only the answer of the newest search is shown.
    const int generation = ++m_generation;
    QPointer<CArchiveWindow> self(this);
    const Archive::SArchiveLocation location = m_location;
    std::thread([self, location, filter, generation] {
        auto chart = std::make_shared<Archive::STrendChart>();
        QString error;
        try {
            auto archive = Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Read);
            *chart = Archive::MakeTrendChart(archive->Find(filter, false));
        } catch (const Archive::CArchiveError& e) {
            error = QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, chart, error] {
                if (self)
                    self->TrendArrived(generation, chart, error);
            },
            Qt::QueuedConnection);
    }).detach();
}

bool CArchiveWindow::TrendPending() const
{
    return m_arrived != m_generation;
}

void CArchiveWindow::TrendArrived(int generation, std::shared_ptr<Archive::STrendChart> chart, QString error)
{
    if (generation != m_generation)
        return;
    m_arrived = generation;
    if (!error.isEmpty())
        ShowFailure(error);
    m_trend->SetChart(std::move(*chart));
    if (const Archive::SArchivedRevision* r = m_model->Row(m_table->currentIndex().row()))
        m_trend->SelectArchiveId(r->measurementId);
    emit trendReady();
}

void CArchiveWindow::SelectRowOf(qlonglong archiveId)
{
    // The row may not be fetched yet: fetch on, within reason.
    for (int row = 0;; ++row) {
        if (row >= m_model->rowCount()) {
            if (!m_model->canFetchMore(QModelIndex()) || row >= 100000)
                return;
            m_model->fetchMore(QModelIndex());
            if (row >= m_model->rowCount())
                return;
        }
        if (m_model->Row(row)->measurementId == archiveId) {
            m_table->selectRow(row);
            m_table->scrollTo(m_model->index(row, 0));
            return;
        }
    }
}

void CArchiveWindow::ShowFailure(const QString& message)
{
    m_status->setText(ViewText::LoadFormat(kFailed, message.toUtf8().constData()));
}

void CArchiveWindow::CopyPicture()
{
    const STrendStyle style = m_trend->Style();
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), TrendPicture::Svg(m_trend->Chart(), style));
    mime->setImageData(TrendPicture::Image(m_trend->Chart(), style));
    QApplication::clipboard()->setMimeData(mime);
}

void CArchiveWindow::SavePicture()
{
    const QString path = QFileDialog::getSaveFileName(this, T(kSavePicture), QString(), T(kSaveFilter));
    if (path.isEmpty())
        return;
    const STrendStyle style = m_trend->Style();
    QByteArray bytes;
    const QString lower = path.toLower();
    if (lower.endsWith(QStringLiteral(".svg"))) {
        bytes = TrendPicture::Svg(m_trend->Chart(), style);
    } else if (lower.endsWith(QStringLiteral(".pdf"))) {
        QTemporaryDir folder;
        const QString scratch = folder.filePath(QStringLiteral("trend.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(scratch);
            TrendPicture::Print(printer, m_trend->Chart(), style);
        }
        QFile file(scratch);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    } else {
        bytes = TrendPicture::Png(m_trend->Chart(), style);
    }
    try {
        if (bytes.isEmpty())
            throw Platform::CFileException(Platform::ErrorFromErrno(ENOMEM), ViewText::U(path));
        AtomicFile::WriteBytes(ViewText::U(path), reinterpret_cast<const uint8_t*>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    } catch (const Platform::CFileException& e) {
        ShowFailure(ViewText::LoadFormat(kWriteFailed, path.toUtf8().constData(),
                                         Platform::DescribeError(e.GetOsError())));
    }
}

void CArchiveWindow::PrintTrend()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    TrendPicture::Print(printer, m_trend->Chart(), m_trend->Style());
}
