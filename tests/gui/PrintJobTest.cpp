// SPDX-License-Identifier: GPL-3.0-or-later
// The print job around the pages' printing: the job's name, the print
// dialog without page range and without print-to-file, and the print
// preview with its texts in the language of the resources in use.
#include <gtest/gtest.h>

#include <QAction>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>

#include "ViewTestSupport.h"
#include "app/AppTranslator.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "views/print/PrintJob.h"

namespace {

TEST(PrintJob, DialogOffersNoPageRangeAndNoPrintToFile)
{
    ViewTest::EnsureApplication();
    EXPECT_EQ(PrintJob::DocumentName(nullptr), QStringLiteral("Brelmora"));
    for (bool selection : {true, false}) {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        PrintJob::ConfigureDialog(dialog, selection);
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintToFile));
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
        EXPECT_EQ(dialog.testOption(QAbstractPrintDialog::PrintSelection), selection);
        dialog.show();
        ViewTest::ProcessEvents();
        for (const char* name : {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit", "printCurrentPage"}) {
            for (QWidget* w : dialog.findChildren<QWidget*>(QString::fromLatin1(name)))
                EXPECT_TRUE(w->isHidden()) << name;
        }
        dialog.reject();
    }
}

TEST(PrintJob, PreviewSpeaksTheLanguageOfTheResources)
{
    ViewTest::EnsureApplication();
    Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
    {
        CAppTranslations translations;
        translations.Apply(0x0407);
        QPrinter printer;
        QPrintPreviewDialog preview(&printer);
        QStringList texts;
        for (QAction* action : preview.findChildren<QAction*>())
            texts << action->text();
        EXPECT_TRUE(texts.contains(QStringLiteral("Nächste Seite"))) << texts.join(", ").toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("Querformat")));
        EXPECT_TRUE(texts.contains(QStringLiteral("Drucken")));
        EXPECT_EQ(preview.windowTitle(), QStringLiteral("Druckvorschau"));
    }
    Platform::SetLanguageStrings(nullptr);
}

} // namespace
