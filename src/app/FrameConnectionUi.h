// CFrameConnectionUi: the main frame's front end of the connection driver
// while the program has no connection wizard: messages and questions are
// the program's message boxes; the wizard step says that the function is
// not available yet and gives no device, so the commands that need an
// instrument end without one.  Progress, redraws and the keep-alive have
// nothing to show before a device can be held.
#pragma once

#include "connection/ConnectionUi.h"

class CFrameConnectionUi : public IConnectionUi {
public:
    void ShowMessage(int kind, const std::u16string& text) override;
    Answer AskYesNoCancel(const std::u16string& text) override;
    Answer Ask(QuestionKind kind, const std::u16string& text) override;

    std::unique_ptr<Device::CVnDevice> RunConnectionWizard(CConnWizardSettings& settings,
                                                           const SWizardStart& start) override;
    void ShowProgress() override {}
    void SetProgress(int, uint32_t, uint32_t) override {}
    void HideProgress() override {}
    void Redraw() override {}
    void SetKeepAliveTimer(bool) override {}
};
