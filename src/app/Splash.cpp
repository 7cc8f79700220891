// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Splash.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/AppIcons.h"
#include "app/AppStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "update/FileVersionInfo.h"

namespace {

CSplashWnd* g_splash = nullptr;
bool g_enabled = true;

const QString kPicture = QStringLiteral("splash");

} // namespace

void CSplashWnd::EnableSplashScreen(bool enable)
{
    g_enabled = enable;
}

CSplashWnd* CSplashWnd::Current()
{
    return g_splash;
}

void CSplashWnd::Dismiss()
{
    CSplashWnd* splash = g_splash;
    if (splash == nullptr)
        return;
    g_splash = nullptr;
    splash->m_timer->stop();
    splash->close();
}

void CSplashWnd::ShowSplashScreen(int ms, const CFileVersionInfo& programInfo)
{
    if (!g_enabled || g_splash != nullptr)
        return;
    QString version;
    if (!programInfo.GetFileVersion().empty()) {
        version = QString::fromStdU16String(Platform::FormatU(Platform::LoadString(AppStrings::kAboutVersion).c_str(),
                                                              Platform::ToUtf8(programInfo.GetFileVersion()).c_str()));
    }
    g_splash = new CSplashWnd(ms, version);
    g_splash->show();
    g_splash->repaint();
}

CSplashWnd::CSplashWnd(int ms, const QString& versionText)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_versionText(versionText),
      m_timer(new QTimer(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    const QSize size = AppIcons::NaturalSize(kPicture);
    setFixedSize(size.isValid() ? size : QSize(480, 300));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (g_splash == this)
            g_splash = nullptr;
        close();
        // The main window was covered: repaint it at once.
        if (QWidget* main = QApplication::activeWindow())
            main->update();
    });
    m_timer->start(ms);
}

CSplashWnd::~CSplashWnd()
{
    if (g_splash == this)
        g_splash = nullptr;
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, AppIcons::Render(kPicture, size(), devicePixelRatioF()));
    if (m_versionText.isEmpty())
        return;
    // The picture has a dark band at the bottom for the version.
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(QColor(0xE8, 0xEE, 0xF4));
    painter.drawText(QRect(0, height() - 34, width() - 20, 24), Qt::AlignRight | Qt::AlignVCenter, m_versionText);
}
