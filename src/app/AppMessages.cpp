// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>
#include <mutex>

#include "app/AppStrings.h"
#include "app/Splash.h"
#include "controls/MessageBox.h"
#include "platform/StringTable.h"

namespace AppMessages {

namespace {

std::mutex g_lock;
MessageSink g_messageSink;
QuestionSink g_questionSink;

MessageSink CurrentMessageSink()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_messageSink;
}

QuestionSink CurrentQuestionSink()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_questionSink;
}

} // namespace

void SetMessageSink(MessageSink sink)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_messageSink = std::move(sink);
}

void SetQuestionSink(QuestionSink sink)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_questionSink = std::move(sink);
}

void Show(const SAppMessage& message)
{
    if (MessageSink sink = CurrentMessageSink()) {
        sink(message);
        return;
    }
    // Also on standard error, so a start from a terminal or a script sees
    // why the program stopped to ask.
    std::fprintf(stderr, "brelmora: %s: %s\n", QString::fromStdU16String(message.caption).toLocal8Bit().constData(),
                 QString::fromStdU16String(message.text).simplified().toLocal8Bit().constData());
    CSplashWnd::Dismiss();
    QMessageBox::Icon icon = QMessageBox::Information;
    if (message.icon == SAppMessage::iconWarning)
        icon = QMessageBox::Warning;
    else if (message.icon == SAppMessage::iconError)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, QString::fromStdU16String(message.caption), QString::fromStdU16String(message.text),
                    QMessageBox::Ok, Gui::DialogParent());
    box.exec();
}

SAppMessage MakeMessage(int kind, const std::u16string& text)
{
    SAppMessage message;
    message.caption = Gui::MessageCaption(kind);
    message.text = Gui::MessageText(kind, text);
    if (kind == Gui::messageWarning)
        message.icon = SAppMessage::iconWarning;
    else if (kind == Gui::messageError || kind == Gui::messageFatal)
        message.icon = SAppMessage::iconError;
    return message;
}

void ShowMessage(int kind, const std::u16string& text)
{
    Show(MakeMessage(kind, text));
}

void ShowError(const std::u16string& text)
{
    SAppMessage message;
    message.icon = SAppMessage::iconError;
    message.caption = Platform::LoadString(AppStrings::kAppTitle);
    message.text = text;
    Show(message);
}

Answer AskYesNoCancel(const std::u16string& text)
{
    return Ask(IPrompt::questionYesNoCancel, text);
}

Answer Ask(IPrompt::QuestionKind kind, const std::u16string& text)
{
    if (QuestionSink sink = CurrentQuestionSink()) {
        // A sink answers Yes or No; Retry and OK questions take Yes as their
        // positive answer and anything else as Cancel.
        const Answer answer = sink(text);
        if (kind == IPrompt::questionRetryCancel)
            return answer == answerYes || answer == answerRetry ? answerRetry : answerCancel;
        if (kind == IPrompt::questionOkCancel)
            return answer == answerYes || answer == answerOk ? answerOk : answerCancel;
        return answer;
    }
    CSplashWnd::Dismiss();
    return Gui::Ask(kind, text, Gui::DialogParent());
}

} // namespace AppMessages
