// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's report of settings problems: message boxes with the
// captions the settings messages have always had.
#pragma once

#include "platform/SettingsStore.h"

class CSettingsMessages : public ISettingsReport {
public:
    // Message 1000 with the application's title as caption.
    void OnWriteFailed() override;
    // Messages 1004 and 1005 with the caption "Brelmora Error".
    void OnUpgradeFolderProblem(uint32_t messageId) override;
    // A warning naming the file.
    void OnSettingsFileUnusable(const std::u16string& text) override;
};
