// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/MessageBox.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include "platform/StringTable.h"

namespace Gui {

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

} // namespace

namespace {

// Splash screens delete themselves on a timer; tool tips and pop-ups vanish
// when the pointer moves.  None of them may own a dialog.
bool CanOwnDialogs(const QWidget* window)
{
    if (window == nullptr || !window->isVisible())
        return false;
    const Qt::WindowType type = window->windowType();
    return type != Qt::SplashScreen && type != Qt::ToolTip && type != Qt::Popup;
}

} // namespace

QWidget* DialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget(); CanOwnDialogs(modal))
        return modal;
    if (QWidget* active = QApplication::activeWindow(); CanOwnDialogs(active))
        return active;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(top) != nullptr && CanOwnDialogs(top))
            return top;
    }
    return nullptr;
}

std::u16string MessageCaption(int kind)
{
    switch (kind) {
    case messageWarning: return Platform::LoadString(28502);
    case messageError: return Platform::LoadString(28501);
    case messageFatal: return Platform::LoadString(28500);
    default: return Platform::LoadString(28503);
    }
}

std::u16string MessageText(int kind, const std::u16string& text)
{
    if (kind == messageError || kind == messageFatal)
        return text + Platform::LoadString(28551);
    return text;
}

void ShowMessage(int kind, const std::u16string& text, QWidget* parent)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == messageWarning)
        icon = QMessageBox::Warning;
    else if (kind == messageError || kind == messageFatal)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, Q(MessageCaption(kind)), Q(MessageText(kind, text)), QMessageBox::Ok, parent);
    box.exec();
}

Answer AskYesNoCancel(const std::u16string& text, QWidget* parent)
{
    return Ask(IPrompt::questionYesNoCancel, text, parent);
}

Answer Ask(IPrompt::QuestionKind kind, const std::u16string& text, QWidget* parent)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    Answer closed = answerCancel;
    switch (kind) {
    case IPrompt::questionYesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        closed = answerNo;
        break;
    case IPrompt::questionRetryCancel: buttons = QMessageBox::Retry | QMessageBox::Cancel; break;
    case IPrompt::questionOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case IPrompt::questionYesNoCancel: break;
    }
    // A question is the program asking: its caption is the program's name
    // (string 57344), as for every message box of the framework.
    QMessageBox box(QMessageBox::Question, Q(Platform::LoadString(57344)), Q(text), buttons, parent);
    if (kind == IPrompt::questionYesNo)
        box.setEscapeButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return answerYes;
    case QMessageBox::No: return answerNo;
    case QMessageBox::Retry: return answerRetry;
    case QMessageBox::Ok: return answerOk;
    case QMessageBox::Cancel: return answerCancel;
    default: return closed;
    }
}

} // namespace Gui
