// SPDX-License-Identifier: GPL-3.0-or-later
// CCommentDlg: "Please enter a comment".  A multi-line edit that accepts
// Return and scrolls sideways; the caret starts after the last character.
// Comments keep their line breaks as CR LF.
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;

class CCommentDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCommentDlg(QWidget* parent = nullptr);

    void SetText(const std::u16string& text);
    // The edit's text with CR LF line breaks.
    std::u16string GetText() const;

    QPlainTextEdit* Edit() const { return m_edit; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* m_edit;
};
