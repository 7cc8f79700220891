// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the series names manager and the device options dialog for
// the documentation, on the simulated Veltrano.  Runs only when
// BRELMORA_SCREENSHOT_DIR names a folder:
//
//   BRELMORA_SCREENSHOT_DIR=docs/screenshots build/bin/test_gui --gtest_filter='DeviceDialogScreenshot*'
//
// With BRELMORA_SCREENSHOT_GERMAN=1 the German library's texts ("-de"),
// with QT_SCALE_FACTOR=2 the names get "-hidpi".
#ifdef BRELMORA_HAVE_SIM

#include <QCheckBox>

#include <cstdlib>

#include "DeviceDialogTestSupport.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "views/dialogs/DeviceOptionsDlg.h"
#include "views/dialogs/names/NamesGrid.h"
#include "views/dialogs/names/SeriesNamesDlg.h"

using namespace DeviceDialogTest;

namespace {

class DeviceDialogScreenshot : public DeviceDialogLine {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("BRELMORA_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "takes screenshots: runs only with scripts/screenshots (BRELMORA_SCREENSHOT_DIR)";
        m_dir = dir;
        DeviceDialogLine::SetUp();
        if (qEnvironmentVariableIsSet("BRELMORA_SCREENSHOT_GERMAN")) {
            m_suffix += "-de";
            Platform::SetLanguageStrings(Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)));
        }
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("2"))
            m_suffix += "-hidpi";
    }
    void TearDown() override
    {
        Platform::SetLanguageStrings(nullptr);
        DeviceDialogLine::TearDown();
    }

    void Save(QWidget& widget, const std::string& name)
    {
        widget.show();
        ViewTest::ProcessEvents();
        const QString path = QString::fromStdString(m_dir + "/" + name + m_suffix + ".png");
        ASSERT_TRUE(widget.grab().save(path)) << path.toStdString();
    }

    std::string m_dir;
    std::string m_suffix;
};

// Takes its picture at the end of the next flash, when the written rows
// show the "being written" mark.
class CFlashPictureDlg : public CUploadStringsDlg {
public:
    using CUploadStringsDlg::CUploadStringsDlg;
    void FlashRows(const std::vector<int>& rows, int pauseMs) override
    {
        CUploadStringsDlg::FlashRows(rows, pauseMs);
        if (picture.isNull())
            picture = grab();
    }
    QPixmap picture;
};

} // namespace

TEST_F(DeviceDialogScreenshot, NamesManagerAndOptions)
{
    ASSERT_NO_FATAL_FAILURE(Start("", 2, {"PM1 NP 001", "PM1 NP 002", "PM2 LWC", "PM3 SC 80g", "Wickler 3", "Tambour 12"},
                                  0, [](Sim::SSimContent& c) { c.option88 = true; }));
    MakeConnection();
    {
        CUploadStringsDlg names(*connection);
        ASSERT_TRUE(names.Open());
        names.show();
        ViewTest::ProcessEvents();
        names.Grid()->FocusRow(4);
        names.Grid()->SetTopRow(1);
        Save(names, "dialog-series-names");
    }
    {
        CFlashPictureDlg names(*connection);
        ASSERT_TRUE(names.Open());
        names.show();
        ViewTest::ProcessEvents();
        names.Grid()->FocusRow(3);
        names.InsertName();
        const QString path = QString::fromStdString(m_dir + "/dialog-series-names-writing" + m_suffix + ".png");
        ASSERT_TRUE(names.picture.save(path)) << path.toStdString();
    }
    COptionsDlg options(*connection);
    ASSERT_TRUE(options.Open());
    Save(options, "dialog-device-options");
}

#endif // BRELMORA_HAVE_SIM
