// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsReport.h"

#include "app/AppMessages.h"
#include "app/AppStrings.h"
#include "controls/MessageBox.h"
#include "platform/StringTable.h"

void CSettingsMessages::OnWriteFailed()
{
    AppMessages::ShowError(Platform::LoadString(AppStrings::kRegistryWriteFailed));
}

void CSettingsMessages::OnUpgradeFolderProblem(uint32_t messageId)
{
    SAppMessage message;
    message.icon = SAppMessage::iconError;
    message.caption = Platform::LoadString(AppStrings::kErrorCaption);
    message.text = Platform::LoadString(messageId);
    AppMessages::Show(message);
}

void CSettingsMessages::OnSettingsFileUnusable(const std::u16string& text)
{
    AppMessages::ShowMessage(Gui::messageWarning, text);
}
