// SPDX-License-Identifier: GPL-3.0-or-later
// The document's file dialogs: filters, default extension, initial name and
// the overwrite question.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "app/DocumentUi.h"
#include "controls/MessageBox.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

TEST(AppDocumentUi, WindowsFiltersBecomeQtFilters)
{
    EXPECT_EQ(CDocumentUi::NameFilters(u"Brelmora Project (*.vnr)|*.vnr|All Files (*.*)|*.*||"),
              QStringList({"Brelmora Project (*.vnr)", "All Files (*.*)"}));
    EXPECT_EQ(CDocumentUi::NameFilters(u"Text file (*.txt)|*.txt|CSV file (*.csv)|*.csv|All Files (*.*)|*.*||"),
              QStringList({"Text file (*.txt)", "CSV file (*.csv)", "All Files (*.*)"}));
    // Two filters of one pattern stay apart.
    EXPECT_EQ(CDocumentUi::NameFilters(u"CSV file (*.csv)|*.csv|Spreadsheet CSV, UTF-8 (*.csv)|*.csv||"),
              QStringList({"CSV file (*.csv)", "Spreadsheet CSV, UTF-8 (*.csv)"}));
    // Captions without (or with other) patterns get the real ones.
    EXPECT_EQ(CDocumentUi::NameFilters(u"Projects|*.vnr;*.VNR|Other (*.x)|*.y||"),
              QStringList({"Projects (*.vnr *.VNR)", "Other (*.y)"}));
    EXPECT_TRUE(CDocumentUi::NameFilters(u"").isEmpty());
    EXPECT_TRUE(CDocumentUi::NameFilters(u"dangling").isEmpty());
}

TEST(AppDocumentUi, DialogsAreSetUpAsRequested)
{
    EnsureApplication();
    SFileDialogRequest request;
    request.filter = u"Brelmora Project (*.vnr)|*.vnr|All Files (*.*)|*.*||";
    request.defaultExtension = u"vnr";
    request.initialName = u"*.vnr";

    QFileDialog open;
    CDocumentUi::ConfigureDialog(open, request, false);
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.nameFilters(), QStringList({"Brelmora Project (*.vnr)", "All Files (*.*)"}));
    EXPECT_EQ(open.defaultSuffix(), "vnr");

    request.initialName = u"Test";
    request.overwritePrompt = true;
    QFileDialog save;
    CDocumentUi::ConfigureDialog(save, request, true);
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save.defaultSuffix(), "vnr");

    request.overwritePrompt = false;
    QFileDialog quiet;
    CDocumentUi::ConfigureDialog(quiet, request, true);
    EXPECT_TRUE(quiet.testOption(QFileDialog::DontConfirmOverwrite));

    // The dialog opens in the project's folder.
    request.projectPath = QDir::tempPath().toStdU16String() + u"/x.vnr";
    QFileDialog inProject;
    CDocumentUi::ConfigureDialog(inProject, request, false);
    EXPECT_EQ(QDir(inProject.directory()).canonicalPath(), QDir(QDir::tempPath()).canonicalPath());
}

TEST(AppDocumentUi, TheChosenFilterIsReportedByItsIdNotItsPlace)
{
    EnsureApplication();
    SFileDialogRequest request;
    request.filters = {{7, u"CSV file (*.csv)", u"*.csv"}, {3, u"Spreadsheet CSV, UTF-8 (*.csv)", u"*.csv"},
                       {5, u"Projects", u"*.vnr;*.VNR"}};
    QFileDialog dialog;
    CDocumentUi::ConfigureDialog(dialog, request, true);
    EXPECT_EQ(dialog.nameFilters(),
              QStringList({"CSV file (*.csv)", "Spreadsheet CSV, UTF-8 (*.csv)", "Projects (*.vnr *.VNR)"}));

    // The user picks the second of the two *.csv filters and saves.
    const QString target = QDir::tempPath() + "/chosen-filter.csv";
    QTimer::singleShot(0, [target] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QFileDialog*>(top); box != nullptr && box->isVisible()) {
                box->selectNameFilter("Spreadsheet CSV, UTF-8 (*.csv)");
                box->selectFile(target);
                static_cast<QDialog*>(box)->accept();   // public there, the dialog's own override runs
            }
        }
    });
    int chosen = -1;
    request.chosenFilterId = &chosen;
    CDocumentUi ui(nullptr);
    std::u16string path;
    ASSERT_TRUE(ui.AskSavePath(request, path));
    EXPECT_EQ(chosen, 3);
}

TEST(AppDocumentUi, QuestionsCarryTheProgramName)
{
    EnsureApplication();
    QString caption;
    QTimer::singleShot(0, [&caption] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box != nullptr && box->isVisible()) {
                caption = box->windowTitle();
                box->button(QMessageBox::No)->click();
            }
        }
    });
    EXPECT_EQ(Gui::Ask(IPrompt::questionYesNo, u"Save the changes?", nullptr), Gui::answerNo);
    EXPECT_EQ(caption, QStringLiteral("Brelmora"));
}

} // namespace
