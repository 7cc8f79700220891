// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/UpdatePage.h"

#include <QLabel>
#include <QMetaObject>
#include <QVBoxLayout>

#include "platform/StringTable.h"

CUpdatePage::CUpdatePage(CAutoUpdate& sheet, const QString& objectName, uint32_t captionId)
    : m_sheet(sheet), m_captionId(captionId)
{
    setObjectName(objectName);
    m_caption = new QLabel(this);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    m_title = new QLabel(this);
    m_title->setWordWrap(true);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_layout = new QVBoxLayout(this);
    m_layout->addWidget(m_caption);
    m_layout->addSpacing(8);
    m_layout->addWidget(m_title);
    Retranslate();
}

QString CUpdatePage::TitleText() const
{
    return m_title->text();
}

void CUpdatePage::Retranslate()
{
    m_caption->setText(Text(m_captionId));
}

void CUpdatePage::StopRun()
{
    ++m_generation;
    m_task.Wait();
}

void CUpdatePage::Later(std::function<void()> step)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_generation, step = std::move(step)] {
            if (run == m_generation)
                step();
        },
        Qt::QueuedConnection);
}

void CUpdatePage::RunTask(std::function<bool()> work, std::function<void(bool)> done)
{
    m_task.Run(this, std::move(work), [this, run = m_generation, done = std::move(done)](bool ok) {
        if (run == m_generation)
            done(ok);
    });
}

QString CUpdatePage::Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}
