// SPDX-License-Identifier: GPL-3.0-or-later
// IPrompt: what the core asks of the person using the program, whatever the
// front end: messages of four kinds and questions with fixed answer sets.
// The desktop program answers with message boxes, the command line from its
// options, tests from a script.  The document's and the connection's front
// ends (IDocumentUi, IConnectionUi) extend it.
#pragma once

#include <string>

class IPrompt {
public:
    // Kinds of the program's message box (captions 28503..28500); errors and
    // fatal errors get the closing text 28551 appended.
    enum MessageKind { messageInformation = 0, messageWarning = 1, messageError = 2, messageFatal = 3 };
    // The buttons a question offers.
    enum QuestionKind { questionYesNoCancel, questionYesNo, questionRetryCancel, questionOkCancel };
    enum Answer { answerYes, answerNo, answerCancel, answerRetry, answerOk };

    virtual ~IPrompt() = default;

    virtual void ShowMessage(int kind, const std::u16string& text) = 0;
    virtual Answer AskYesNoCancel(const std::u16string& text) = 0;

    // A question of any kind.  The default serves Yes/No questions through
    // AskYesNoCancel (Cancel counts as No for questionYesNo) and answers
    // every other kind with Cancel; front ends that ask them override it.
    virtual Answer Ask(QuestionKind kind, const std::u16string& text)
    {
        if (kind != questionYesNoCancel && kind != questionYesNo)
            return answerCancel;
        const Answer answer = AskYesNoCancel(text);
        return kind == questionYesNo && answer == answerCancel ? answerNo : answer;
    }
};
