// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message boxes and questions.  Every message of the shell
// goes through here, so that tests can collect messages and answer
// questions instead of showing modal boxes.
#pragma once

#include <functional>
#include <string>

#include "platform/Prompt.h"

struct SAppMessage {
    enum Icon { iconInformation, iconWarning, iconError };
    Icon icon = iconInformation;
    std::u16string caption;
    std::u16string text;
};

namespace AppMessages {

using Answer = IPrompt::Answer;
using enum IPrompt::Answer;

using MessageSink = std::function<void(const SAppMessage&)>;
using QuestionSink = std::function<Answer(const std::u16string& text)>;

// Replace the message boxes (null restores them).
void SetMessageSink(MessageSink sink);
void SetQuestionSink(QuestionSink sink);

// Shows a message box over the active window.
void Show(const SAppMessage& message);

// The program's ShowMessage: kinds 0 information, 1 warning, 2 error,
// 3 fatal error; captions 28503..28500; errors get string 28551 appended.
void ShowMessage(int kind, const std::u16string& text);
SAppMessage MakeMessage(int kind, const std::u16string& text);

// A message with the application's title as caption and an error icon.
void ShowError(const std::u16string& text);

// Yes, No and Cancel with the question icon.
Answer AskYesNoCancel(const std::u16string& text);
// A question with the buttons of `kind`.
Answer Ask(IPrompt::QuestionKind kind, const std::u16string& text);

} // namespace AppMessages
