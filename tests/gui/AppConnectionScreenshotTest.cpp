// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots of the connection wizard's two pages, the main window with the
// connected instrument in its status bar and the download's progress window,
// in English and German, against the simulated Veltrano.  Taken only when
// BRELMORA_SCREENSHOT_DIR names the folder (scripts/screenshots).
#include "gui/AppConnectionSupport.h"
#include "gui/ScreenshotPalette.h"

#include <QApplication>
#include <QPushButton>

#include "app/Commands.h"
#include "platform/LanguageTable.h"

using namespace AppConnectionTest;

namespace {

class AppConnectionScreenshots : public AppConnection {
protected:
    bool Save(QWidget* widget, const QString& name)
    {
        QTest::qWait(50);
        return widget->grab().save(m_shots + QStringLiteral("/") + name + QStringLiteral("-") + m_lang + m_suffix +
                                   QStringLiteral(".png"));
    }

    QString m_shots = qEnvironmentVariable("BRELMORA_SCREENSHOT_DIR");
    QString m_suffix = qEnvironmentVariable("BRELMORA_SCREENSHOT_SUFFIX");
    QString m_lang;
};

TEST_F(AppConnectionScreenshots, WizardProgressAndStatusInBothLanguages)
{
    if (m_shots.isEmpty())
        GTEST_SKIP() << "takes screenshots: runs only with scripts/screenshots (BRELMORA_SCREENSHOT_DIR)";
    ScreenshotPalette::UseDarkPaletteWhenAsked();
    m_frame->resize(1000, 640);
    for (const bool german : {false, true}) {
        Platform::SetLanguageStrings(german ? Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)) : nullptr);
        m_lang = german ? QStringLiteral("de") : QStringLiteral("en");
        m_frame->OnLanguageChanged();
        // As a newly installed translator does: every widget reloads its texts.
        for (QWidget* widget : QApplication::allWidgets()) {
            QEvent change(QEvent::LanguageChange);
            QCoreApplication::sendEvent(widget, &change);
        }
        StoreWizardPort();
        Start();
        WorkWizard(
            [this](CDevSelectSheet& s) {
                s.resize(600, 500);
                EXPECT_TRUE(Save(&s, QStringLiteral("connection-port")));
            },
            [this](CDevSelectSheet& s) {
                if (!s.button(QWizard::FinishButton)->isEnabled())
                    return false;
                EXPECT_TRUE(Save(&s, QStringLiteral("connection-result")));
                Key(Qt::Key_Return);
                return true;
            });
        m_messages.SetAnswer(AppMessages::answerNo);
        m_frame->OnCommand(Commands::ID_DOWNLOAD);
        ASSERT_NE(Connection().GetDevice(), nullptr);
        QTest::qWait(100);
        EXPECT_TRUE(Save(m_frame.get(), QStringLiteral("connection-main")));

        // The progress window of a paced download, then Cancel.
        m_frame->OnCommand(Commands::ID_DISCONNECT);
        Start("", 200, 38400);
        FinishWizardByKeyboard();
        auto progressShot = std::make_shared<CStepper>();
        progressShot->Add([this] {
            QProgressDialog* progress = m_frame->ConnectionUi().ProgressWindow();
            if (progress == nullptr || !progress->isVisible() || progress->value() < 30)
                return false;
            EXPECT_TRUE(Save(progress, QStringLiteral("connection-progress")));
            QTest::mouseClick(progress->findChild<QPushButton*>("CancelDownload"), Qt::LeftButton);
            return true;
        });
        progressShot->Start();
        m_frame->OnCommand(Commands::ID_DOWNLOAD);
        EXPECT_TRUE(progressShot->Finished());
    }
    Platform::SetLanguageStrings(nullptr);
}

} // namespace
