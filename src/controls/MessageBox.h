// SPDX-License-Identifier: GPL-3.0-or-later
// The program's message box.  Kinds: 0 information, 1 warning, 2 error,
// 3 fatal error (OK only).  Errors and fatal errors get the closing text
// (string 28551) appended.  Captions come from the string table.
#pragma once

#include <string>

#include "platform/Prompt.h"

class QWidget;

namespace Gui {

using MessageKind = IPrompt::MessageKind;
using enum IPrompt::MessageKind;
using Answer = IPrompt::Answer;
using enum IPrompt::Answer;

void ShowMessage(int kind, const std::u16string& text, QWidget* parent = nullptr);

// The window a message box or dialog opened now should belong to: the
// active window, but never a splash screen or a window about to be deleted
// (a dialog owned by it would be destroyed under its own event loop).  Falls
// back to the first visible main window, else null (a top-level dialog).
QWidget* DialogParent();

// A question with Yes, No and Cancel and the question icon.
Answer AskYesNoCancel(const std::u16string& text, QWidget* parent = nullptr);
// A question with the buttons of `kind` and the question icon; closing the
// box counts as Cancel (No for a Yes/No question).
Answer Ask(IPrompt::QuestionKind kind, const std::u16string& text, QWidget* parent = nullptr);

// The caption of a message kind (strings 28500-28503).
std::u16string MessageCaption(int kind);

// The text as shown: errors and fatal errors get string 28551 appended.
std::u16string MessageText(int kind, const std::u16string& text);

} // namespace Gui
