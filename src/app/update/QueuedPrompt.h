// SPDX-License-Identifier: GPL-3.0-or-later
// An IPrompt whose messages are shown on the user-interface thread, for
// core objects (the FTP link) that may set an error text on another thread.
#pragma once

#include "platform/Prompt.h"

class CQueuedPrompt : public IPrompt {
public:
    void ShowMessage(int kind, const std::u16string& text) override;
    // Nothing is asked from another thread.
    Answer AskYesNoCancel(const std::u16string&) override { return answerCancel; }
};
