// SPDX-License-Identifier: GPL-3.0-or-later
// Every dialog of the program opened offscreen, in English and German, at
// normal size and (in a child run of this test program with
// QT_SCALE_FACTOR=2) at twice the size: no control is lower than its size
// hint (nor narrower, for buttons and the fields whose text must fit whole)
// and no label's text is wider than the label.  Besides the dialogs of the
// menus: both pages of the update wizard against a real FTP server (a newer
// installer found, then downloading), the download's progress window, the
// archive window with its history dialog, and the message boxes of every
// kind and question.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QSlider>
#include <QTextEdit>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "app/AboutDlg.h"
#include "app/AppSettings.h"
#include "app/BrelmoraApp.h"
#include "app/update/AutoUpdate.h"
#include "connection/PaperConnection.h"
#include "device/VnDevice.h"
#include "connection/WizardSettings.h"
#include "gui/AppTestSupport.h"
#include "platform/ExecutableResources.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "support/TestEnv.h"
#include "views/connection/DevSelectSheet.h"
#include "views/dialogs/CommentDlg.h"
#include "views/dialogs/DateTimeDlg.h"
#include "views/dialogs/DeviceOptionsDlg.h"
#include "views/dialogs/LimitDlg.h"
#include "views/dialogs/SeriesNotAddedDlg.h"
#include "views/dialogs/names/SeriesNamesDlg.h"
#include "app/DesktopConnectionUi.h"
#include "app/update/PageDownload.h"
#include "archive/LabArchive.h"
#include "controls/MessageBox.h"
#include "data/PaperDoc.h"
#include "support/FtpTestServer.h"
#include "views/archive/ArchiveHistoryDlg.h"
#include "views/archive/ArchiveWindow.h"

#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

using namespace AppTest;

namespace {

// Widgets that are parts of another control (a spin box's editor, a combo
// box's list) are checked with that control.
bool IsPartOfAControl(const QWidget* w, const QWidget* top)
{
    for (const QWidget* p = w->parentWidget(); p != nullptr && p != top; p = p->parentWidget()) {
        if (qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p) ||
            qobject_cast<const QAbstractScrollArea*>(p) || qobject_cast<const QScrollBar*>(p))
            return true;
    }
    return false;
}

// What is cut off in `dialog`, one line per fault.
std::vector<std::string> Faults(QWidget& dialog)
{
    std::vector<std::string> faults;
    auto name = [](const QWidget* w) {
        QString text = QString::fromLatin1(w->metaObject()->className());
        if (!w->objectName().isEmpty())
            text += QChar('#') + w->objectName();
        if (const auto* label = qobject_cast<const QLabel*>(w))
            text += QStringLiteral(" \"%1\"").arg(label->text().left(40));
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            text += QStringLiteral(" \"%1\"").arg(button->text());
        return text.toStdString();
    };
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&dialog) || IsPartOfAControl(w, &dialog))
            continue;
        const QSize hint = w->sizeHint();
        const QSize size = w->size();
        const bool field = qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractButton*>(w);
        const bool control = field || qobject_cast<QLineEdit*>(w) || qobject_cast<QSlider*>(w);
        if (control && hint.isValid()) {
            if (size.height() < hint.height())
                faults.push_back(name(w) + " is " + std::to_string(size.height()) + " high, needs " +
                                 std::to_string(hint.height()));
            if (field && size.width() < hint.width())
                faults.push_back(name(w) + " is " + std::to_string(size.width()) + " wide, needs " +
                                 std::to_string(hint.width()));
        }
        if (const auto* edit = qobject_cast<QLineEdit*>(w)) {
            const int needed = edit->fontMetrics().horizontalAdvance(edit->text()) + 8;
            if (!edit->text().isEmpty() && edit->width() < needed)
                faults.push_back(name(w) + " shows \"" + edit->text().toStdString() + "\" in " +
                                 std::to_string(edit->width()) + ", needs " + std::to_string(needed));
        }
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->wordWrap() || label->text().isEmpty() || label->pixmap().isNull() == false ||
                label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
                continue;
            // A mnemonic's "&" is not shown ("&&" is one "&").
            QString shown = label->text();
            shown.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QChar('&')).replace(QChar(1), QChar('&'));
            int width = 0;
            for (const QString& line : shown.split(QChar('\n')))
                width = std::max(width, label->fontMetrics().horizontalAdvance(line));
            if (width > label->contentsRect().width())
                faults.push_back(name(w) + " text is " + std::to_string(width) + " wide in " +
                                 std::to_string(label->contentsRect().width()));
            const int lines = static_cast<int>(label->text().count(QChar('\n'))) + 1;
            if (label->contentsRect().height() < lines * label->fontMetrics().height())
                faults.push_back(name(w) + " is " + std::to_string(label->contentsRect().height()) + " high");
        }
    }
    return faults;
}

// A prompt that answers nothing.
class CSilentPrompt : public IPrompt {
public:
    void ShowMessage(int, const std::u16string&) override {}
    Answer AskYesNoCancel(const std::u16string&) override { return answerCancel; }
};

class CSilentConnectionUi : public IConnectionUi {
public:
    void ShowMessage(int, const std::u16string&) override {}
    Answer AskYesNoCancel(const std::u16string&) override { return answerCancel; }
    std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings&, const SWizardStart&) override
    {
        return nullptr;
    }
    void ShowProgress() override {}
    void SetProgress(int, uint32_t, uint32_t) override {}
    void HideProgress() override {}
    bool IsCancelRequested() override { return false; }
    void Redraw() override {}
    void SetKeepAliveTimer(bool) override {}
};

// The FTP server of the update wizard's pages, started once for the test
// program: slow, so that the download page is seen while it downloads.
TestEnv::CFtpTestServer& UpdateServer()
{
    static TestEnv::CFtpTestServer server("dialogfit", "slow");
    static const bool filled = [] {
        server.Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(6u << 20, 'x'));
        return true;
    }();
    (void)filled;
    return server;
}

// An archive of a few rolls, one of them edited twice after its download.
std::string SmallArchive()
{
    static const std::string path = [] {
        const std::string file = TestEnv::TempDir() + "/dialogfit-archive.sqlite";
        std::filesystem::remove(file);
        auto archive = Archive::CLabArchive::Open(Archive::ParseArchiveLocation(Platform::FromUtf8(file)),
                                                  Archive::CLabArchive::EMode::Write);
        std::vector<DataTest::Series> list;
        for (int i = 0; i < 12; ++i)
            list.push_back(ViewTest::MakeSeries("PM3-" + std::to_string(4700 + i), static_cast<uint16_t>(i + 1),
                                                ViewTest::Values(10, static_cast<uint8_t>(90 + i % 5)), 80, 120,
                                                848000000u + static_cast<uint32_t>(i) * 30000));
        CPaperDoc doc;
        ViewTest::Load(doc, list);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::DownloadSource(u"COM1:"));
        doc.SetRollId(3, u"PM3-4703A");
        doc.SetComment(3, u"Winder 2, retested after the splice");
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::FileSource(u"/lab/PM3-week49.vnr", {1, 2}));
        doc.SetLowerLimit(3, 84);
        archive->Import(doc.GetOriginal(), doc.GetCurrent(), Archive::FileSource(u"/lab/PM3-week49.vnr", {3, 4}));
        return file;
    }();
    return path;
}

// Opens a message box through the program's own call and collects the
// faults of the box while its modal loop runs; the box is then closed.
template <typename Open>
std::vector<std::string> FaultsOfModal(Open open)
{
    std::vector<std::string> faults;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        seen = true;
        ViewTest::ProcessEvents();
        faults = Faults(*box);
        if (auto* message = qobject_cast<QMessageBox*>(box))
            message->done(QMessageBox::Cancel);
    });
    open();
    if (!seen)
        faults.push_back("no modal box was shown");
    return faults;
}

class DialogFit : public CShellTest {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        m_dir = std::make_unique<CProgramFolder>("dialogfit", true);
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(m_dir->Program());
        m_app->ReadSettings();
        m_app->LoadLanguageLibrary();
        connection = std::make_unique<CPaperConnection>(connectionUi);
        connection->SetWizardSettingsKey(std::u16string());
    }
    void TearDown() override
    {
        connection.reset();
        m_app.reset();
        m_dir.reset();
        CShellTest::TearDown();
    }

    // Opens every dialog in turn and collects its faults.
    std::vector<std::string> CheckEveryDialog()
    {
        std::vector<std::string> all;
        auto check = [&all](const char* what, QWidget& dialog) {
            dialog.show();
            ViewTest::ProcessEvents();
            for (const std::string& fault : Faults(dialog))
                all.push_back(std::string(what) + ": " + fault);
            dialog.hide();
        };
        {
            CDateTimeDlg dialog;
            dialog.SetOldTime(848000000);
            dialog.SetNewTime(848000000);
            check("adjust time", dialog);
        }
        {
            CCommentDlg dialog;
            check("comment", dialog);
        }
        {
            CLimitDlg dialog;
            check("limit", dialog);
        }
        {
            CSeriesNotAddedDlg dialog;
            check("series not added", dialog);
        }
        {
            CAppSettings dialog(*m_app);
            check("settings", dialog);
        }
        {
            CAboutDlg dialog(*m_app);
            check("about", dialog);
        }
        {
            COptionsDlg dialog(*connection);
            check("options", dialog);
        }
        {
            CUploadStringsDlg dialog(*connection);
            check("series names", dialog);
        }
        {
            CConnWizardSettings settings;
            CSilentPrompt prompt;
            CDevSelectSheet sheet(settings, prompt, SWizardStart{});
            check("connection wizard", sheet);
        }
        auto collect = [&all](const std::string& what, const std::vector<std::string>& faults) {
            for (const std::string& fault : faults)
                all.push_back(what + ": " + fault);
        };
        {
            // The update wizard as the user meets it: a newer installer
            // found on the search page, then the download page downloading.
            TestEnv::CFtpTestServer& server = UpdateServer();
            EXPECT_TRUE(server.Ready()) << server.Log();
            const std::string folder = TestEnv::TempDir() + "/dialogfit-program";
            std::filesystem::create_directories(folder);
            CAutoUpdate wizard(nullptr, Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0"),
                               Update::ParseFtpServer(Platform::FromUtf8(server.Url())), QString::fromStdString(folder));
            wizard.BeginRun();
            wizard.show();
            if (WaitUntil([&] { return wizard.GetWizardButtons() == CAutoUpdate::buttonsNext; }))
                collect("update wizard, search", Faults(wizard));
            else
                all.push_back("update wizard: no newer installer found");
            wizard.NextButton()->click();
            if (WaitUntil([&] { return wizard.DownloadPage()->Progress() >= 1; }))
                collect("update wizard, download", Faults(wizard));
            else
                all.push_back("update wizard: the download did not start");
            wizard.CancelButton()->click();
            WaitUntil([&] { return !wizard.isVisible(); });
        }
        {
            QWidget window;
            CDesktopConnectionUi ui(&window);
            ui.ShowProgress();
            ui.SetProgress(42, 1234567, 2939456);
            ViewTest::ProcessEvents();
            if (ui.ProgressWindow() != nullptr)
                collect("download progress", Faults(*ui.ProgressWindow()));
            else
                all.push_back("download progress: no window");
            ui.HideProgress();
        }
        {
            const auto location = Archive::ParseArchiveLocation(Platform::FromUtf8(SmallArchive()));
            CArchiveWindow window(location);
            window.resize(1000, 700);
            window.show();
            WaitUntil([&] { return !window.TrendPending(); });
            collect("archive window", Faults(window));
            auto archive = Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Read);
            const auto edited = archive->Find({}, false).at(3);
            CArchiveHistoryDlg history(archive->History(edited.measurementId));
            check("archive history", history);
        }
        const std::u16string longText =
            u"The file /home/lab/Projects/PM3 week 49/winder 2 retest.vnr could not be saved: "
            u"the disk is full.";
        for (int kind : {Gui::messageInformation, Gui::messageWarning, Gui::messageError, Gui::messageFatal})
            collect("message box " + std::to_string(kind),
                    FaultsOfModal([&] { Gui::ShowMessage(kind, longText); }));
        for (auto question : {IPrompt::questionYesNoCancel, IPrompt::questionYesNo, IPrompt::questionRetryCancel,
                              IPrompt::questionOkCancel})
            collect("question " + std::to_string(static_cast<int>(question)),
                    FaultsOfModal([&] { Gui::Ask(question, u"Save the changes to PM3 week 49.vnr?"); }));
        return all;
    }

    std::unique_ptr<CProgramFolder> m_dir;
    std::unique_ptr<CBrelmoraApp> m_app;
    CSilentConnectionUi connectionUi;
    std::unique_ptr<CPaperConnection> connection;
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

TEST_F(DialogFit, EveryDialogShowsItsWholeTextsInBothLanguages)
{
    const std::vector<std::string> english = CheckEveryDialog();
    EXPECT_TRUE(english.empty()) << Joined(english);
    Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
    const std::vector<std::string> german = CheckEveryDialog();
    EXPECT_TRUE(german.empty()) << "German:\n" << Joined(german);
}

TEST(DialogFitTwice, EveryDialogAtTwiceTheSize)
{
    // The scale factor is read when the application starts: a run of its
    // own.
    if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2"))
        GTEST_SKIP() << "this is the run at twice the size";
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    // A 4K screen: the offscreen platform's own 800 x 600 would hold only
    // 400 x 300 at twice the size and squeeze every larger window.
    const std::string screen = TestEnv::TempDir() + "/screen-4k.json";
    {
        QFile file(QString::fromStdString(screen));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"screens":[{"name":"4k","x":0,"y":0,"width":3840,"height":2160,)"
                   R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + QString::fromStdString(screen));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QString::fromStdString(Platform::OwnExecutablePath()),
                  {QStringLiteral("--gtest_filter=DialogFit.*")});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString output = QString::fromUtf8(process.readAll());
    EXPECT_EQ(process.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

} // namespace
