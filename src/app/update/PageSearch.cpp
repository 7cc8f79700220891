// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/PageSearch.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/update/AutoUpdate.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/UpdateStrings.h"

namespace {

// The texts break lines with CR LF; a label wants LF alone.
QString Lines(const std::u16string& text)
{
    return QString::fromStdU16String(Platform::ReplaceAll(text, u"\r\n", u"\n"));
}

} // namespace

CPageSearch::CPageSearch(CAutoUpdate& sheet)
    : CUpdatePage(sheet, QStringLiteral("PageSearch"), Update::IDS_SEARCH_PAGE)
{
    m_status = new QLabel(this);
    m_message = new QLabel(this);
    for (QLabel* label : {m_status, m_message}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // Four lines high.
    m_message->setMinimumHeight(m_message->fontMetrics().lineSpacing() * 4);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QVBoxLayout* layout = Layout();
    layout->addWidget(m_status);
    layout->addSpacing(8);
    layout->addWidget(m_message);
    layout->addStretch(1);
    m_message->hide();
}

CPageSearch::~CPageSearch()
{
    Stop();
}

QString CPageSearch::StatusText() const
{
    return m_status->text();
}

QString CPageSearch::MessageText() const
{
    return m_message->text();
}

bool CPageSearch::IsMessageShown() const
{
    return !m_message->isHidden();
}

void CPageSearch::Activate()
{
    NewRun();
    m_sheet.SetWizardButtons(CAutoUpdate::buttonsNone);
    const std::string name = Platform::ToUtf8(m_sheet.Program().productName);
    m_title->setText(Lines(Platform::FormatU(Platform::LoadString(Update::IDS_SEARCHING_FOR).c_str(), name.c_str())));
    m_status->setText(Text(Update::IDS_CONNECTING));
    m_message->clear();
    m_message->hide();
    Later([this] { ConnectStep(); });
}

void CPageSearch::Stop()
{
    StopRun();
}

void CPageSearch::ConnectStep()
{
    Update::CFtpLink& link = m_sheet.Link();
    const Update::SProgramIdentity program = m_sheet.Program();
    RunTask([&link, program] { return Update::ConnectForUpdate(link, program); }, [this](bool ok) { ConnectDone(ok); });
}

void CPageSearch::ConnectDone(bool ok)
{
    if (!ok) {
        m_status->setText(Lines(m_sheet.Link().GetErrorText()));
        m_sheet.SetWizardButtons(CAutoUpdate::buttonsFinish);
        return;
    }
    Later([this] { SearchStep(); });
}

void CPageSearch::SearchStep()
{
    m_status->setText(Text(Update::IDS_RECEIVING));
    Update::CFtpLink& link = m_sheet.Link();
    Update::SInstallerChoice& choice = m_sheet.Choice();
    const Update::SProgramIdentity program = m_sheet.Program();
    RunTask([&link, &choice, program] { return Update::SearchInstaller(link, program, choice); },
            [this](bool ok) { SearchDone(ok); });
}

void CPageSearch::SearchDone(bool ok)
{
    if (!ok) {
        m_status->setText(Lines(m_sheet.Link().GetErrorText()));
        m_sheet.SetWizardButtons(CAutoUpdate::buttonsFinish);
        return;
    }
    const Update::SProgramIdentity& program = m_sheet.Program();
    const Update::SInstallerChoice& choice = m_sheet.Choice();
    const std::string name = Platform::ToUtf8(program.productName);
    if (choice.found) {
        m_message->setText(Lines(Platform::FormatU(Platform::LoadString(Update::IDS_NEWER_FOUND).c_str(), name.c_str(),
                                                   Platform::ToUtf8(choice.version.Format(3)).c_str(),
                                                   Platform::ToUtf8(program.version.Format(3)).c_str())));
        m_sheet.SetWizardButtons(CAutoUpdate::buttonsNext);
    } else {
        m_message->setText(Lines(Platform::FormatU(Platform::LoadString(Update::IDS_NO_UPDATE).c_str(), name.c_str())));
        m_sheet.SetWizardButtons(CAutoUpdate::buttonsFinish);
    }
    m_message->show();
}
