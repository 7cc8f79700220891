// SPDX-License-Identifier: GPL-3.0-or-later
// The user manual: Help (F1) and the connection wizard's Help button open
// the PDF of the chosen language beside the program of the build tree; each
// PDF has its title page, contents and numbered pages; every picture the
// Markdown names exists; the build tool refuses a manual it cannot make
// whole and leaves the old PDF as it was.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeySequence>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "app/Commands.h"
#include "app/DesktopConnectionUi.h"
#include "app/MainFrame.h"
#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "device/DeviceThread.h"
#include "views/connection/DevSelectSheet.h"
#include "gui/AppTestSupport.h"
#include "gui/PdfText.h"

using namespace AppTest;

namespace {

const QString kBin = QString::fromUtf8(BRELMORA_BINARY_DIR) + QStringLiteral("/bin");
const QString kManualSources = QString::fromUtf8(BRELMORA_SOURCE_DIR) + QStringLiteral("/docs/manual");
const QString kTool = QString::fromUtf8(BRELMORA_BINARY_DIR) + QStringLiteral("/tools/brelmora-make-manual");
const QString kVersion = QStringLiteral("%1.%2.%3.%4")
                             .arg(BRELMORA_VERSION_MAJOR)
                             .arg(BRELMORA_VERSION_MINOR)
                             .arg(BRELMORA_VERSION_PATCH)
                             .arg(BRELMORA_VERSION_TWEAK);

struct SLanguage {
    const char* folder;          // docs/manual/<folder>
    const char16_t* library;     // empty: the program's own texts
    const char* pdf;
    const char* contents;        // title of the contents page
    const char* pageFooter;      // "Page %1 of %2"
};

const SLanguage kEnglish{"en", u"", "Veltrano_ENU.pdf", "Contents", "Page %1 of %2"};
const SLanguage kGerman{"de", u"/Brelmora_DEU.so", "Veltrano_DEU.pdf", "Inhalt", "Seite %1 von %2"};

// The program of the build tree: "Pfad" defaults to its folder, bin/.
class ManualHelp : public CShellTest, public ::testing::WithParamInterface<SLanguage> {
protected:
    void SetUp() override
    {
        CShellTest::SetUp();
        const std::u16string bin = kBin.toStdU16String();
        if (GetParam().library[0] != u'\0')
            SetString(u"LanguageFile", bin + GetParam().library);
        m_app = std::make_unique<CBrelmoraApp>();
        m_app->SetProgramPath(bin + u"/brelmora");
        m_app->ReadSettings();
        m_app->LoadLanguageLibrary();
        m_frame = std::make_unique<CMainFrame>(*m_app);
    }
    void TearDown() override
    {
        m_frame.reset();
        m_app.reset();
        Device::StopDeviceThread();
        CShellTest::TearDown();
    }

    QUrl Expected() const { return QUrl::fromLocalFile(kBin + QLatin1Char('/') + QLatin1String(GetParam().pdf)); }

    // Only the manual was opened, and it is a PDF.
    void ExpectManualOpened()
    {
        EXPECT_TRUE(m_messages.messages.empty()) << Platform::ToUtf8(m_messages.messages[0].text);
        ASSERT_EQ(m_messages.opened.size(), 1u);
        EXPECT_EQ(m_messages.opened[0], Expected());
        QFile file(m_messages.opened[0].toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        EXPECT_EQ(file.read(5), QByteArray("%PDF-"));
    }

    std::unique_ptr<CBrelmoraApp> m_app;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_P(ManualHelp, F1OpensTheManualOfTheChosenLanguage)
{
    ASSERT_EQ(m_app->IsLanguageLibraryLoaded(), GetParam().library[0] != u'\0');
    EXPECT_EQ(m_app->GetPfad(), kBin.toStdU16String());
    QAction* help = m_frame->Action(Commands::ID_HELP);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    help->trigger();
    ExpectManualOpened();
}

TEST_P(ManualHelp, TheWizardsHelpButtonOpensItToo)
{
    // The download finds no instrument and opens the wizard; on its port
    // page Help is clicked and the wizard is cancelled.
    bool clicked = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    m_frame->ConnectionUi().SetSheetObserver([&](CDevSelectSheet& sheet) {
        CDevSelectSheet* s = &sheet;
        QObject::connect(&poll, &QTimer::timeout, s, [&, s] {
            if (!s->isVisible() || s->currentId() != CDevSelectSheet::kPortPageId) {
                if (waited.elapsed() > 30000)
                    s->reject();
                return;
            }
            poll.stop();
            auto* button = s->findChild<QPushButton*>(QStringLiteral("PortHelp"));
            if (button != nullptr) {
                button->click();
                clicked = true;
            }
            s->reject();
        });
        poll.start(20);
    });
    m_frame->Connection().DownloadSeries(m_frame->GetDocument());
    ASSERT_TRUE(clicked);
    ExpectManualOpened();
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualHelp, ::testing::Values(kEnglish, kGerman),
                         [](const auto& info) { return std::string(info.param.folder); });

// --- The sources --------------------------------------------------------------

// The pictures a Markdown file names, as written there.
QStringList Pictures(const QString& markdown)
{
    QStringList names;
    static const QRegularExpression image(QStringLiteral(R"(!\[[^\]]*\]\(([^)\s]+)\))"));
    for (auto it = image.globalMatch(markdown); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList Chapters(const char* language)
{
    return QDir(kManualSources + QLatin1Char('/') + QLatin1String(language))
        .entryList({QStringLiteral("[0-9][0-9]-*.md")}, QDir::Files, QDir::Name);
}

TEST(ManualSources, EveryPictureExistsAndBothLanguagesHaveEveryChapter)
{
    for (const char* language : {"en", "de"}) {
        const QDir folder(kManualSources + QLatin1Char('/') + QLatin1String(language));
        ASSERT_TRUE(folder.exists(QStringLiteral("title.md"))) << language;
        int pictures = 0;
        for (const QString& name : Chapters(language)) {
            for (const QString& picture : Pictures(ReadAll(folder.filePath(name)))) {
                ++pictures;
                EXPECT_TRUE(QFileInfo(folder.filePath(picture)).isFile())
                    << language << "/" << name.toStdString() << ": " << picture.toStdString();
            }
        }
        EXPECT_GE(pictures, 30) << language;
    }
    // The chapters correspond one to one (their names are in each language).
    const QStringList english = Chapters("en"), german = Chapters("de");
    ASSERT_EQ(english.size(), german.size());
    for (int i = 0; i < english.size(); ++i)
        EXPECT_EQ(english[i].left(3), german[i].left(3));
}

TEST(ManualSources, TheGermanLibraryNamesTheGermanManual)
{
    // Both string files name the PDF the build makes for their language.
    EXPECT_TRUE(ReadAll(QString::fromUtf8(BRELMORA_SOURCE_DIR) + QStringLiteral("/resources/strings/en/appshell.txt"))
                    .contains(QStringLiteral("\n59520\tVeltrano_ENU.pdf\n")));
    EXPECT_TRUE(ReadAll(QString::fromUtf8(BRELMORA_SOURCE_DIR) + QStringLiteral("/resources/strings/de/appshell.txt"))
                    .contains(QStringLiteral("\n59520\tVeltrano_DEU.pdf\n")));
}

// --- The PDFs of the build ----------------------------------------------------

class ManualPdf : public ::testing::TestWithParam<SLanguage> {};

TEST_P(ManualPdf, TitleContentsAndEveryPageNumbered)
{
    if (!PdfText::Available())
        GTEST_SKIP() << "pdftotext is missing (scripts/install-deps installs it)";
    const std::string pdf = (kBin + QLatin1Char('/') + QLatin1String(GetParam().pdf)).toStdString();
    const QStringList pages = PdfText::Pages(pdf);
    ASSERT_GE(pages.size(), 20) << pdf;

    // Title page: the program, the version, no page number.
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Brelmora")));
    EXPECT_TRUE(pages[0].contains(kVersion)) << pages[0].toStdString();
    EXPECT_FALSE(pages[0].contains(QString(QLatin1String(GetParam().pageFooter)).arg(1).arg(pages.size())));

    // Every other page carries "Page n of N" with its own n.
    for (int i = 1; i < pages.size(); ++i) {
        const QString footer = QString(QLatin1String(GetParam().pageFooter)).arg(i + 1).arg(pages.size());
        EXPECT_TRUE(pages[i].contains(footer)) << "page " << i + 1 << " lacks \"" << footer.toStdString() << "\"";
    }

    // The contents list every chapter, and each chapter starts a page.
    EXPECT_TRUE(pages[1].contains(QLatin1String(GetParam().contents)));
    const QDir folder(kManualSources + QLatin1Char('/') + QLatin1String(GetParam().folder));
    for (const QString& name : Chapters(GetParam().folder)) {
        const QString title = ReadAll(folder.filePath(name)).section(QLatin1Char('\n'), 0, 0).mid(2).trimmed();
        ASSERT_FALSE(title.isEmpty()) << name.toStdString();
        EXPECT_TRUE(pages[1].contains(title) || pages[2].contains(title)) << title.toStdString();
        bool starts = false;
        for (int i = 2; i < pages.size() && !starts; ++i) {
            // Below the header line, the chapter's title is the first text.
            const QStringList lines = pages[i].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            starts = lines.size() > 1 && lines[1].trimmed() == title;
        }
        EXPECT_TRUE(starts) << "no page starts with " << title.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualPdf, ::testing::Values(kEnglish, kGerman),
                         [](const auto& info) { return std::string(info.param.folder); });

// --- The build tool -----------------------------------------------------------

class ManualTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = QString::fromStdString(TestEnv::TempDir()) + QStringLiteral("/manual-tool");
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir + QStringLiteral("/md"));
        Write(QStringLiteral("md/title.md"), "# Handbook\n\nVersion @VERSION@\n");
        Write(QStringLiteral("strings.txt"), "# words\n57500\tContents\n57501\tPage %d of %d\n");
    }
    void TearDown() override { QDir(m_dir).removeRecursively(); }

    void Write(const QString& name, const char* text)
    {
        std::ofstream(QString(m_dir + QLatin1Char('/') + name).toStdString(), std::ios::binary) << text;
    }

    int Run(QString& errors)
    {
        QProcess tool;
        tool.start(kTool, {QStringLiteral("--strings"), m_dir + QStringLiteral("/strings.txt"), QStringLiteral("--version"),
                           QStringLiteral("9.8.7.6"), QStringLiteral("--out"), Out(), m_dir + QStringLiteral("/md")});
        if (!tool.waitForFinished(60000))
            return -1;
        errors = QString::fromLocal8Bit(tool.readAllStandardError());
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }
    QString Out() const { return m_dir + QStringLiteral("/out.pdf"); }

    QString m_dir;
};

TEST_F(ManualTool, AMissingPictureFailsAndLeavesTheOldPdf)
{
    Write(QStringLiteral("out.pdf"), "old");
    Write(QStringLiteral("md/01-one.md"), "# One\n\nText.\n\n![gone](../nowhere.png)\n");
    QString errors;
    EXPECT_EQ(Run(errors), 2);
    EXPECT_TRUE(errors.contains(QStringLiteral("nowhere.png"))) << errors.toStdString();
    EXPECT_EQ(ReadAll(Out()), QStringLiteral("old"));
    // No temporary file is left behind either.
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files).size(), 2);
}

TEST_F(ManualTool, NoChapterOrNoWordsIsRefused)
{
    QString errors;
    EXPECT_EQ(Run(errors), 2);   // title.md alone
    EXPECT_TRUE(errors.contains(QStringLiteral("no chapter"))) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(Out()));

    Write(QStringLiteral("md/01-one.md"), "# One\n");
    Write(QStringLiteral("strings.txt"), "57500\tContents\n");
    EXPECT_EQ(Run(errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("57501"))) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(Out()));
}

TEST_F(ManualTool, LongChaptersBreakIntoNumberedPagesWithTheirTitles)
{
    if (!PdfText::Available())
        GTEST_SKIP() << "pdftotext is missing";
    // Two chapters, the first longer than a page, with a picture wider
    // and taller than the page that must be fitted to it.
    std::string first = "# Alpha\n\n";
    for (int i = 0; i < 120; ++i)
        first += "Paragraph " + std::to_string(i) + " of the first chapter.\n\n";
    first += std::string("![big](") + BRELMORA_SOURCE_DIR + "/docs/screenshots/print-table.png)\n\nAfter the picture.\n";
    Write(QStringLiteral("md/01-alpha.md"), first.c_str());
    Write(QStringLiteral("md/02-beta.md"), "# Beta\n\n## Beta section\n\nThe end.\n");
    QString errors;
    ASSERT_EQ(Run(errors), 0) << errors.toStdString();
    const QStringList pages = PdfText::Pages(Out().toStdString());
    ASSERT_GE(pages.size(), 5);
    const int total = static_cast<int>(pages.size());
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Version 9.8.7.6")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Contents")));
    // Beta starts the last page, alone with its section; the contents name the page.
    EXPECT_TRUE(pages.last().contains(QStringLiteral("Beta section")));
    EXPECT_FALSE(pages.last().contains(QStringLiteral("After the picture")));
    EXPECT_TRUE(pages[1].contains(QRegularExpression(QStringLiteral("Beta\\s+%1\\b").arg(total))))
        << pages[1].toStdString();
    EXPECT_TRUE(pages.last().contains(QStringLiteral("Page %1 of %1").arg(total)));
    // Every paragraph came out, once, and the picture did not push text off a page.
    const QString all = pages.join(QLatin1Char('\n'));
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(all.count(QRegularExpression(QStringLiteral("Paragraph %1 of").arg(i))), 1) << i;
    EXPECT_EQ(all.count(QStringLiteral("After the picture.")), 1);
}

} // namespace
