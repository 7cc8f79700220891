// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <thread>

#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "archive/ArchiveLocation.h"
#include "archive/ArchiveSettings.h"
#include "archive/CollectionSnapshot.h"
#include "views/archive/ArchiveViewStrings.h"
#include "platform/SettingsStore.h"
#include "platform/DateTimeFormat.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace {

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

constexpr int kPictureCount = 4;

} // namespace

int CAppSettings::PictureIndex(uint32_t part)
{
    return part >= 1 && part < kPictureCount ? static_cast<int>(part) : 0;
}

CAppSettings::CAppSettings(CBrelmoraApp& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_language(new QComboBox(this)), m_date(new QComboBox(this)),
      m_time(new QComboBox(this)), m_sample(new QLabel(this))
{
    setObjectName(QStringLiteral("AppSettings"));
    setWindowTitle(Text(AppStrings::kSettingsTitle));

    // Languages: the program first, then every accepted library.
    m_languages = ListLanguages(m_app.GetProgramPath());
    const std::u16string current = CSettingsStore::FileNameOf(m_app.GetLanguageFile());
    int selected = 0;
    for (size_t i = 0; i < m_languages.size(); ++i) {
        std::u16string name = m_languages[i].info.GetInternalName();
        if (name.empty())
            name = m_languages[i].fileName;
        m_language->addItem(QString::fromStdU16String(name));
        if (i > 0 && Platform::EqualsNoCase(m_languages[i].fileName, current))
            selected = static_cast<int>(i);
    }
    m_language->setCurrentIndex(selected);

    for (int i = 0; i < kPictureCount; ++i) {
        m_date->addItem(Text(AppStrings::kFirstDatePicture + static_cast<uint32_t>(i)));
        m_time->addItem(Text(AppStrings::kFirstTimePicture + static_cast<uint32_t>(i)));
    }
    const uint32_t dtFormat = m_app.GetDateTimeFormat();
    m_date->setCurrentIndex(PictureIndex((dtFormat >> 8) & 0xFF));
    m_time->setCurrentIndex(PictureIndex(dtFormat & 0xFF));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(Text(AppStrings::kSettingsLanguage), m_language);
    form->addRow(Text(AppStrings::kSettingsDate), m_date);
    form->addRow(Text(AppStrings::kSettingsTime), m_time);

    m_sample->setObjectName(QStringLiteral("SampleLine"));
    m_sample->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_sample->setMargin(6);
    m_sample->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Text(AppStrings::kButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(AppStrings::kButtonCancel), QDialogButtonBox::RejectRole);
    QPushButton* reset = buttons->addButton(Text(AppStrings::kButtonReset), QDialogButtonBox::ResetRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAppSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAppSettings::reject);
    connect(reset, &QPushButton::clicked, this, &CAppSettings::Reset);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(4);
    layout->addWidget(m_sample);
    layout->addSpacing(8);
    BuildArchiveGroup(layout);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_date, &QComboBox::currentIndexChanged, this, &CAppSettings::UpdateSample);
    connect(m_time, &QComboBox::currentIndexChanged, this, &CAppSettings::UpdateSample);
    m_sample->setMinimumWidth(m_sample->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 44);
    UpdateSample();
}

void CAppSettings::BuildArchiveGroup(QBoxLayout* layout)
{
    using namespace ArchiveViewStrings;
    auto* group = new QGroupBox(Text(kSettingsArchive), this);
    m_archiveDownloads = new QCheckBox(Text(kSettingsArchiveDownloads), group);
    m_archiveDownloads->setObjectName(QStringLiteral("ArchiveDownloads"));
    m_archiveDownloads->setChecked(Archive::ArchiveDownloadsSetting());
    m_archiveLocation = new QLineEdit(QString::fromStdU16String(Archive::ArchiveSetting()), group);
    m_archiveLocation->setObjectName(QStringLiteral("ArchiveLocation"));
    m_archiveLocation->setToolTip(Text(kSettingsLocationTip));
    m_archiveLocation->setPlaceholderText(QString::fromStdU16String(
        Platform::FormatU(Platform::LoadString(kSettingsLocationDefault).c_str(),
                          Platform::ToUtf8(Archive::DefaultArchiveLocation().display).c_str())));
    m_archiveTest = new QPushButton(Text(kSettingsTest), group);
    m_archiveResult = new QLabel(group);
    m_archiveResult->setObjectName(QStringLiteral("ArchiveTestResult"));
    m_archiveResult->setWordWrap(true);
    m_archiveResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(m_archiveTest, &QPushButton::clicked, this, &CAppSettings::TestArchive);
    connect(m_archiveLocation, &QLineEdit::textEdited, m_archiveResult, &QLabel::clear);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Text(kSettingsLocation), group));
    row->addWidget(m_archiveLocation, 1);
    row->addWidget(m_archiveTest);
    auto* box = new QVBoxLayout(group);
    box->addWidget(m_archiveDownloads);
    box->addLayout(row);
    box->addWidget(m_archiveResult);
    if (m_app.GetDemo()) {
        // The demo archives into its own temporary archive: what the user
        // set stays as it is, shown but not changeable.
        m_archiveDownloads->setEnabled(false);
        m_archiveLocation->setEnabled(false);
        m_archiveTest->setEnabled(false);
        m_archiveResult->setText(Text(kSettingsDemo));
    }
    layout->addWidget(group);
}

void CAppSettings::TestArchive()
{
    using namespace ArchiveViewStrings;
    const int generation = ++m_testGeneration;
    m_archiveResult->setText(Text(kSettingsTesting));
    QPointer<CAppSettings> self(this);
    const std::u16string location = m_archiveLocation->text().trimmed().toStdU16String();
    // A server may take its connect timeout to answer: never on this thread.
    std::thread([self, generation, location] {
        const Archive::SArchiveTest test = Archive::TestArchive(location);
        const QString message = QString::fromStdU16String(Platform::FormatU(
            Platform::LoadString(test.works ? kSettingsWorks : kSettingsFails).c_str(),
            Platform::ToUtf8(test.works ? test.name : test.cause).c_str()));
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, works = test.works, message] {
                if (self)
                    self->ArchiveTestDone(generation, works, message);
            },
            Qt::QueuedConnection);
    }).detach();
}

void CAppSettings::ArchiveTestDone(int generation, bool works, const QString& message)
{
    if (generation != m_testGeneration)
        return;
    m_archiveResult->setText(message);
    emit archiveTested(works, message);
}

void CAppSettings::Reset()
{
    m_language->setCurrentIndex(0);
    m_date->setCurrentIndex(0);
    m_time->setCurrentIndex(0);
    UpdateSample();
}

void CAppSettings::SetSampleTime(const std::tm& time)
{
    m_sampleTime = time;
    UpdateSample();
}

QString CAppSettings::SampleText() const
{
    std::tm now{};
    if (m_sampleTime) {
        now = *m_sampleTime;
    } else {
        const std::time_t t = std::time(nullptr);
        localtime_r(&t, &now);
    }
    const int date = std::max(0, m_date->currentIndex());
    const int time = std::max(0, m_time->currentIndex());
    const std::u16string datePicture = Platform::LoadString(AppStrings::kFirstDatePicture + static_cast<uint32_t>(date));
    const std::u16string timePicture = Platform::LoadString(AppStrings::kFirstTimePicture + static_cast<uint32_t>(time));
    const std::u16string line = Platform::LoadString(AppStrings::kSampleLinePrefix) + u"  " +
                                Platform::FormatDatePicture(datePicture, now) + u" " +
                                Platform::FormatTimePicture(timePicture, now);
    return QString::fromStdU16String(line);
}

void CAppSettings::UpdateSample()
{
    m_sample->setText(SampleText());
}

void CAppSettings::accept()
{
    const int language = std::max(0, m_language->currentIndex());
    const SLanguageEntry& chosen = m_languages[static_cast<size_t>(language)];
    m_languageChanged =
        !Platform::EqualsNoCase(chosen.fileName, CSettingsStore::FileNameOf(m_app.GetLanguageFile()));

    const uint32_t current = m_app.GetDateTimeFormat();
    const int date = std::max(0, m_date->currentIndex());
    const int time = std::max(0, m_time->currentIndex());
    // Compared as shown: a stored value the lists show as another entry
    // (0x0407 shows as entry 0) is not rewritten by an OK without changes.
    m_formatChanged = date != PictureIndex((current >> 8) & 0xFF) || time != PictureIndex(current & 0xFF);

    if (m_formatChanged)
        m_app.SetDateTimeFormat(static_cast<uint32_t>(date) * 256 + static_cast<uint32_t>(time));
    if (m_languageChanged)
        m_app.SetLanguageFile(chosen.path);

    // The demo never writes the archive settings.
    if (!m_app.GetDemo()) {
        using namespace ArchiveViewStrings;
        const std::u16string location = m_archiveLocation->text().trimmed().toStdU16String();
        if (!location.empty()) {
            try {
                Archive::ParseArchiveLocation(location, Archive::kArchiveValue);
            } catch (const std::exception& e) {
                // Kept open so the address can be corrected.
                m_archiveResult->setText(QString::fromStdU16String(
                    Platform::FormatU(Platform::LoadString(kSettingsInvalid).c_str(), e.what())));
                return;
            }
        }
        Archive::StoreArchiveSettings(location, m_archiveDownloads->isChecked());
    }
    QDialog::accept();
}
