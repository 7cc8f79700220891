// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/CommentDlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "views/dialogs/DialogSupport.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

CCommentDlg::CCommentDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ViewText::Load(ViewStrings::kCommentCaption));
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(DialogSupport::ControlName(2005));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setTabChangesFocus(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit, 1);
    layout->addWidget(DialogSupport::MakeButtons(this, true));
    DialogSupport::ApplyTemplateSize(this, 306, 107);
}

void CCommentDlg::SetText(const std::u16string& text)
{
    QString shown = ViewText::Q(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    m_edit->setPlainText(shown);
    m_edit->moveCursor(QTextCursor::End);
}

std::u16string CCommentDlg::GetText() const
{
    QString text = m_edit->toPlainText();
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return ViewText::U(text);
}

void CCommentDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_edit->setFocus();
    QTextCursor cursor = m_edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
}
