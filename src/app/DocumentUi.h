// SPDX-License-Identifier: GPL-3.0-or-later
// CDocumentUi: the desktop front end of the project document: its
// questions (Yes, No, Cancel), its messages and its open and save dialogs.
#pragma once

#include <QString>
#include <QStringList>

#include "data/DocumentInterfaces.h"

class QFileDialog;
class QWidget;

class CDocumentUi : public IDocumentUi {
public:
    explicit CDocumentUi(QWidget* parent) : m_parent(parent) {}

    Answer AskYesNoCancel(const std::u16string& text) override;
    Answer Ask(QuestionKind kind, const std::u16string& text) override;
    void ShowMessage(int kind, const std::u16string& text) override;
    bool AskOpenPath(const SFileDialogRequest& request, std::u16string& path) override;
    bool AskSavePath(const SFileDialogRequest& request, std::u16string& path) override;

    // Sets up a file dialog for a request: name filters, default extension
    // (added to a name typed without one), initial name (a wildcard name
    // such as "*.vnr" only selects the filter) and the overwrite question.
    static void ConfigureDialog(QFileDialog& dialog, const SFileDialogRequest& request, bool save);

    // "Caption|pattern|Caption|pattern||" (patterns separated by ';') as
    // Qt name filters "Caption (pattern pattern)".
    static QStringList NameFilters(const std::u16string& filter);
    // The dialog's text of one filter, as NameFilters makes it.
    static QString DialogFilterText(const SFileFilter& filter);

private:
    bool AskPath(const SFileDialogRequest& request, bool save, std::u16string& path);

    QWidget* m_parent;
};
