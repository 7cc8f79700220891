// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/connection/DevSelectSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "device/DeviceThread.h"
#include "device/VnDevice.h"
#include "platform/StringTable.h"
#include "views/connection/ConnectionViewStrings.h"

namespace {

using namespace ConnectionViewStrings;

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

// The model's texts use CR LF between lines.
QString Lines(const std::u16string& text)
{
    QString s = QString::fromStdU16String(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

void SetText(QPlainTextEdit* box, const QString& text)
{
    if (box->toPlainText() == text)
        return;
    box->setPlainText(text);
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}

} // namespace

// ---- port page ----

CPortSelectPage::CPortSelectPage(CDevSelectSheet& sheet) : m_sheet(sheet)
{
    setObjectName(QStringLiteral("PortPage"));
    auto* layout = new QVBoxLayout(this);
    m_intro = new QLabel(this);
    m_intro->setWordWrap(true);
    layout->addWidget(m_intro);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    // Rich text: the two points keep their indent when they wrap.
    m_note->setTextFormat(Qt::RichText);
    layout->addWidget(m_note);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("PortKind"));
    layout->addWidget(m_kind);

    m_serialGroup = new QGroupBox(this);
    auto* serial = new QGridLayout(m_serialGroup);
    m_scan = new QCheckBox(m_serialGroup);
    m_scan->setObjectName(QStringLiteral("ScanPorts"));
    serial->addWidget(m_scan, 0, 0, 1, 2);
    m_comPortLabel = new QLabel(m_serialGroup);
    m_comPort = new QSpinBox(m_serialGroup);
    m_comPort->setObjectName(QStringLiteral("ComPort"));
    m_comPort->setRange(1, static_cast<int>(CConnWizardSettings::kLastComPort));
    m_comPortLabel->setBuddy(m_comPort);
    serial->addWidget(m_comPortLabel, 1, 0);
    serial->addWidget(m_comPort, 1, 1);
    layout->addWidget(m_serialGroup);

    m_ethernetGroup = new QGroupBox(this);
    auto* ethernet = new QHBoxLayout(m_ethernetGroup);
    m_ipLabel = new QLabel(m_ethernetGroup);
    m_ip = new QLineEdit(m_ethernetGroup);
    m_ip->setObjectName(QStringLiteral("IpAddress"));
    m_ip->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^([0-9]{1,3}(\\.[0-9]{0,3}){0,3})?$")), m_ip));
    m_ipLabel->setBuddy(m_ip);
    ethernet->addWidget(m_ipLabel);
    ethernet->addWidget(m_ip, 1);
    layout->addWidget(m_ethernetGroup);

    m_stopAtFirst = new QCheckBox(this);
    m_stopAtFirst->setObjectName(QStringLiteral("StopAtFirst"));
    layout->addWidget(m_stopAtFirst);
    layout->addStretch(1);

    auto* helpRow = new QHBoxLayout;
    helpRow->addStretch(1);
    m_help = new QPushButton(this);
    m_help->setObjectName(QStringLiteral("PortHelp"));
    m_help->setAutoDefault(false);
    helpRow->addWidget(m_help);
    layout->addLayout(helpRow);

    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing)
            m_sheet.Model().SelectKind(index);
    });
    connect(m_scan, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_sheet.Model().SetScan(on);
    });
    connect(m_stopAtFirst, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_sheet.Model().SetStopAtFirst(on);
    });
    connect(m_comPort, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_refreshing)
            m_sheet.Model().SetComPort(static_cast<uint32_t>(value));
    });
    connect(m_ip, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_refreshing)
            m_sheet.Model().SetIpAddress(text.toStdU16String());
    });
    connect(m_help, &QPushButton::clicked, this, &CPortSelectPage::helpRequested);
    Retranslate();
}

QString CPortSelectPage::NoteHtml(const QString& note, const QStringList& points, int indent)
{
    QString html = QStringLiteral("<p style=\"margin:0\">%1</p>").arg(note.toHtmlEscaped());
    for (const QString& point : points)
        html += QStringLiteral("<p style=\"margin:0 0 0 %1px\">%2</p>").arg(indent).arg(point.toHtmlEscaped());
    return html;
}

void CPortSelectPage::Retranslate()
{
    setTitle(Text(kPortTitle));
    setSubTitle(Text(kPortHeading));
    m_intro->setText(Text(kPortIntro));
    m_note->setText(NoteHtml(Text(kPortNote), {Text(kPortNoteSupported), Text(kPortNoteUsb)},
                             m_note->fontMetrics().horizontalAdvance(QStringLiteral("      "))));
    m_serialGroup->setTitle(Text(kSerialGroup));
    m_scan->setText(Text(kScanBox));
    m_comPortLabel->setText(Text(kComPortLabel));
    m_ethernetGroup->setTitle(Text(kEthernetGroup));
    m_ipLabel->setText(Text(kIpLabel));
    m_stopAtFirst->setText(Text(kStopAtFirstBox));
    m_help->setText(Text(kHelpButton));
    m_kind->setToolTip(Text(kKindTip));
    m_scan->setToolTip(Text(kScanTip));
    m_comPort->setToolTip(Text(kComPortTip));
    m_ip->setToolTip(Text(kIpTip));
    m_stopAtFirst->setToolTip(Text(kStopAtFirstTip));
}

void CPortSelectPage::initializePage()
{
    m_sheet.Model().ActivatePortPage();
    Refresh();
}

void CPortSelectPage::Refresh()
{
    const CConnectionWizard& model = m_sheet.Model();
    m_refreshing = true;
    m_kind->clear();
    for (Device::NPorts kind : model.GetKinds())
        m_kind->addItem(QString::fromStdU16String(CConnectionWizard::KindText(kind)));
    m_kind->setCurrentIndex(model.GetKindIndex());
    m_scan->setChecked(model.GetScan());
    m_stopAtFirst->setChecked(model.GetStopAtFirst());
    m_comPort->setValue(static_cast<int>(model.GetComPort()));
    const QString ip = QString::fromStdU16String(model.GetIpAddress());
    if (m_ip->text() != ip)
        m_ip->setText(ip);
    const SPortControls controls = model.GetPortControls();
    m_scan->setEnabled(controls.scanBox);
    m_comPort->setEnabled(controls.comPortField);
    m_comPortLabel->setEnabled(controls.comPortField);
    m_ip->setEnabled(controls.ipField);
    m_ipLabel->setEnabled(controls.ipField);
    m_stopAtFirst->setEnabled(controls.stopAtFirstBox);
    m_refreshing = false;
}

bool CPortSelectPage::validatePage()
{
    // A number typed but not yet taken by the field counts.
    m_comPort->interpretText();
    m_sheet.Model().SetComPort(static_cast<uint32_t>(m_comPort->value()));
    m_sheet.Model().PortPageNext();
    return true;
}

// ---- result page ----

CDevFoundPage::CDevFoundPage(CDevSelectSheet& sheet) : m_sheet(sheet)
{
    setObjectName(QStringLiteral("ResultPage"));
    setFinalPage(true);
    auto* layout = new QVBoxLayout(this);
    m_status = new QPlainTextEdit(this);
    m_status->setObjectName(QStringLiteral("SearchStatus"));
    m_status->setReadOnly(true);
    m_status->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_status, 2);
    m_selectLabel = new QLabel(this);
    layout->addWidget(m_selectLabel);
    m_devices = new QComboBox(this);
    m_devices->setObjectName(QStringLiteral("FoundDevices"));
    m_selectLabel->setBuddy(m_devices);
    layout->addWidget(m_devices);
    m_infoLabel = new QLabel(this);
    layout->addWidget(m_infoLabel);
    m_info = new QPlainTextEdit(this);
    m_info->setObjectName(QStringLiteral("DeviceInfo"));
    m_info->setReadOnly(true);
    m_info->setTabStopDistance(m_info->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 22);
    layout->addWidget(m_info, 3);

    connect(m_devices, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing && index >= 0)
            m_sheet.Model().SelectDevice(index);
    });
    Retranslate();
}

void CDevFoundPage::Retranslate()
{
    setTitle(Text(kResultTitle));
    // The same header as the port page: a title and a line under it.
    setSubTitle(Text(kResultHeading));
    m_status->setToolTip(Text(kStatusTip));
    m_selectLabel->setText(Text(kSelectLabel));
    m_devices->setToolTip(Text(kSelectTip));
    m_infoLabel->setText(Text(kInfoLabel));
    m_info->setToolTip(Text(kInfoTip));
}

void CDevFoundPage::initializePage()
{
    // Shown first; the model posts the start of the search.
    m_sheet.Model().ActivateResultPage();
    Refresh();
}

void CDevFoundPage::cleanupPage()
{
    m_sheet.Model().LeaveResultPage();
}

bool CDevFoundPage::isComplete() const
{
    return m_sheet.Model().GetButtons().finishEnabled;
}

bool CDevFoundPage::validatePage()
{
    return m_sheet.Model().Finish();
}

void CDevFoundPage::Refresh()
{
    const CConnectionWizard& model = m_sheet.Model();
    m_refreshing = true;
    QString status = Lines(model.GetStatusText());
    if (status.isEmpty() && model.IsSearching())
        status = Text(kSearching);
    SetText(m_status, status);
    const int count = static_cast<int>(model.GetDeviceCount());
    bool same = m_devices->count() == count;
    for (int i = 0; same && i < count; ++i)
        same = m_devices->itemText(i) == QString::fromStdU16String(model.GetEntryText(static_cast<size_t>(i)));
    if (!same) {
        m_devices->clear();
        for (int i = 0; i < count; ++i)
            m_devices->addItem(QString::fromStdU16String(model.GetEntryText(static_cast<size_t>(i))));
    }
    m_devices->setCurrentIndex(model.GetSelection());
    m_devices->setEnabled(model.IsListEnabled());
    SetText(m_info, Lines(model.GetInfoText()));
    m_refreshing = false;
    emit completeChanged();
}

// ---- sheet ----

CDevSelectSheet::CDevSelectSheet(CConnWizardSettings& settings, IPrompt& prompt, const SWizardStart& start,
                                 QWidget* parent)
    : QWizard(parent), m_caption(QString::fromStdU16String(start.caption))
{
    setObjectName(QStringLiteral("DevSelectSheet"));
    // Notifications of the device thread become queued calls on this
    // thread.  The application is their context: a call that outlives the
    // sheet still runs, and the model drops what no longer counts (and
    // deletes the device it carries).
    auto post = [](CConnectionWizard::Call call) {
        QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
    };
    m_model = std::make_unique<CConnectionWizard>(settings, prompt, post, start.startPage);
    m_model->SetAbortWait(&CDevSelectSheet::AbortWaitPainting);
    m_model->SetView(this);

    setWindowTitle(m_caption);
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    m_portPage = new CPortSelectPage(*this);
    m_resultPage = new CDevFoundPage(*this);
    setPage(kPortPageId, m_portPage);
    setPage(kResultPageId, m_resultPage);
    setStartId(kPortPageId);
    connect(m_portPage, &CPortSelectPage::helpRequested, this, &CDevSelectSheet::helpRequested);
    SetButtonTexts();
}

CDevSelectSheet::~CDevSelectSheet()
{
    // The model stops a search still running; nothing may be shown then.
    m_model->SetView(nullptr);
    m_model.reset();
}

void CDevSelectSheet::SetButtonTexts()
{
    const struct {
        WizardButton button;
        uint32_t text;
        uint32_t tip;
    } buttons[] = {{NextButton, kNext, kNextTip},
                   {BackButton, kBack, kBackTip},
                   {FinishButton, kFinish, kFinishTip},
                   {CancelButton, kCancel, kCancelTip}};
    for (const auto& b : buttons) {
        setButtonText(b.button, Text(b.text));
        if (QAbstractButton* widget = button(b.button))
            widget->setToolTip(Text(b.tip));
    }
}

void CDevSelectSheet::OnWizardChanged()
{
    if (currentId() == kResultPageId)
        m_resultPage->Refresh();
    else if (currentId() == kPortPageId)
        m_portPage->Refresh();
}

bool CDevSelectSheet::AbortWaitPainting(int timeoutMs)
{
    constexpr int kSliceMs = 20;
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        if (Device::AbortJobs(kSliceMs))
            return true;
        if (elapsed.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void CDevSelectSheet::reject()
{
    if (currentId() == kResultPageId)
        m_model->LeaveResultPage();
    QWizard::reject();
}

int CDevSelectSheet::RunModal()
{
    return exec() == QDialog::Accepted ? kFinishResult : kCancelResult;
}

std::unique_ptr<Device::CVnDevice> CDevSelectSheet::TakeDevice()
{
    if (result() != QDialog::Accepted)
        return nullptr;
    return m_model->TakeDevice();
}
