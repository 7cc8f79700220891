#include "app/FrameConnectionUi.h"

#include "app/AppMessages.h"
#include "app/AppStrings.h"
#include "device/VnDevice.h"
#include "platform/StringTable.h"

void CFrameConnectionUi::ShowMessage(int kind, const std::u16string& text)
{
    AppMessages::ShowMessage(kind, text);
}

IPrompt::Answer CFrameConnectionUi::AskYesNoCancel(const std::u16string& text)
{
    return AppMessages::AskYesNoCancel(text);
}

IPrompt::Answer CFrameConnectionUi::Ask(QuestionKind kind, const std::u16string& text)
{
    return AppMessages::Ask(kind, text);
}

std::unique_ptr<Device::CVnDevice> CFrameConnectionUi::RunConnectionWizard(CConnWizardSettings&, const SWizardStart&)
{
    AppMessages::ShowMessage(IPrompt::messageInformation, Platform::LoadString(AppStrings::kNotAvailableYet));
    return nullptr;
}
