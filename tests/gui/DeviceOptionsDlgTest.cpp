// SPDX-License-Identifier: GPL-3.0-or-later
// The device options dialog against the simulated Veltrano.
#ifdef BRELMORA_HAVE_SIM

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include "DeviceDialogTestSupport.h"
#include "platform/Text.h"
#include "views/dialogs/DeviceOptionsDlg.h"

using namespace DeviceDialogTest;

namespace {

class DeviceOptionsDlg : public DeviceDialogLine {
protected:
    void DropDialogs() override { dialog.reset(); }

    // Opens the dialog on the instrument, shown without an event loop of
    // its own.
    void Open()
    {
        MakeConnection();
        dialog = std::make_unique<COptionsDlg>(*connection);
        ASSERT_TRUE(dialog->Open());
        dialog->show();
        ViewTest::ProcessEvents();
    }
    // Runs the event loop until the option was read back after a switch.
    void WaitForReadBack()
    {
        QElapsedTimer timer;
        timer.start();
        while (dialog->IsSettling() && timer.elapsed() < 5000)
            QTest::qWait(20);
        ASSERT_FALSE(dialog->IsSettling());
    }

    std::unique_ptr<COptionsDlg> dialog;
};

} // namespace

TEST_F(DeviceOptionsDlg, DoesNotOpenWithoutAnInstrument)
{
    MakeConnection();
    ui.wizard = [](CConnWizardSettings&) { return std::unique_ptr<Device::CVnDevice>(); };
    COptionsDlg options(*connection);
    EXPECT_EQ(options.Run(), QDialog::Rejected);
    EXPECT_EQ(ui.wizardRuns, 1);
    EXPECT_FALSE(options.isVisible());
}

TEST_F(DeviceOptionsDlg, ShowsTheOptionAndSwitchesIt)
{
    ASSERT_NO_FATAL_FAILURE(Start("", 2, {}, 0, [](Sim::SSimContent& c) { c.option88 = true; }));
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Device options"));
    QCheckBox* box = dialog->OptionBox();
    EXPECT_EQ(box->text(), QStringLiteral("Store invalid measurements as zero"));
    EXPECT_TRUE(box->isChecked());

    // Off: the box is clear and locked until the instrument is read again.
    box->click();
    EXPECT_FALSE(instrument->GetOption88());
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(box->isEnabled());
    ASSERT_NO_FATAL_FAILURE(WaitForReadBack());
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(box->isEnabled());

    box->click();
    EXPECT_TRUE(instrument->GetOption88());
    ASSERT_NO_FATAL_FAILURE(WaitForReadBack());
    EXPECT_TRUE(box->isChecked());

    dialog->findChild<QPushButton*>(QStringLiteral("close"))->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DeviceOptionsDlg, SwitchingOnOldFirmwareShowsTheUpdateMessage)
{
    ASSERT_NO_FATAL_FAILURE(Start("", 2, {}, 0, [](Sim::SSimContent& c) { c.option88Supported = false; }));
    ASSERT_NO_FATAL_FAILURE(Open());
    QCheckBox* box = dialog->OptionBox();
    EXPECT_FALSE(box->isChecked());
    std::u16string shown;
    ViewTest::AnswerMessageBox(QMessageBox::Ok, &shown);
    box->click();
    EXPECT_EQ(shown, u"This option is not supported with this Veltrano version.\nPlease update your Veltrano.");
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(box->isEnabled());
    EXPECT_FALSE(dialog->IsSettling());
    EXPECT_FALSE(instrument->GetOption88());
}

TEST_F(DeviceOptionsDlg, ALostLineSaysWhatFailedInsteadOfBlamingTheFirmware)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Open());
    StopSim();
    std::u16string shown;
    ViewTest::AnswerMessageBox(QMessageBox::Ok, &shown);
    dialog->OptionBox()->click();
    EXPECT_EQ(shown.rfind(u"The transfer failed", 0), 0u) << Platform::ToUtf8(shown);
    EXPECT_FALSE(dialog->OptionBox()->isChecked());
    EXPECT_FALSE(dialog->IsSettling());
}

#endif // BRELMORA_HAVE_SIM
