// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DocumentUi.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <algorithm>

#include "app/AppMessages.h"
#include "platform/DialogFolder.h"

IDocumentUi::Answer CDocumentUi::AskYesNoCancel(const std::u16string& text)
{
    return AppMessages::AskYesNoCancel(text);
}

IDocumentUi::Answer CDocumentUi::Ask(QuestionKind kind, const std::u16string& text)
{
    return AppMessages::Ask(kind, text);
}

void CDocumentUi::ShowMessage(int kind, const std::u16string& text)
{
    AppMessages::ShowMessage(kind, text);
}

bool CDocumentUi::AskOpenPath(const SFileDialogRequest& request, std::u16string& path)
{
    return AskPath(request, false, path);
}

bool CDocumentUi::AskSavePath(const SFileDialogRequest& request, std::u16string& path)
{
    return AskPath(request, true, path);
}

bool CDocumentUi::AskPath(const SFileDialogRequest& request, bool save, std::u16string& path)
{
    QFileDialog dialog(m_parent);
    ConfigureDialog(dialog, request, save);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return false;
    path = files.first().toStdU16String();
    Platform::RememberDialogFolder(path);
    if (request.chosenFilterId != nullptr && !request.filters.empty()) {
        // The filter whose dialog text is the one left selected.
        const QString selected = dialog.selectedNameFilter();
        *request.chosenFilterId = request.filters.front().id;
        for (const SFileFilter& f : request.filters) {
            if (DialogFilterText(f) == selected) {
                *request.chosenFilterId = f.id;
                break;
            }
        }
    }
    return true;
}

QString CDocumentUi::DialogFilterText(const SFileFilter& filter)
{
    const QStringList one = NameFilters(filter.caption + u"|" + filter.pattern + u"||");
    return one.isEmpty() ? QString() : one.front();
}

QStringList CDocumentUi::NameFilters(const std::u16string& filter)
{
    QStringList parts = QString::fromStdU16String(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i].trimmed();
        const QString pattern = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (caption.isEmpty() && pattern.isEmpty())
            break;   // the closing "||"
        // Qt reads the patterns from the caption's last parentheses: make
        // sure they are exactly the filter's patterns.
        const QString wanted = QStringLiteral("(") + pattern + QStringLiteral(")");
        if (!caption.endsWith(wanted)) {
            caption.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)$")));
            caption += QStringLiteral(" ") + wanted;
        }
        filters << caption;
    }
    return filters;
}

void CDocumentUi::ConfigureDialog(QFileDialog& dialog, const SFileDialogRequest& request, bool save)
{
    // Qt's own dialog on every platform, so the default extension and the
    // overwrite question work the same everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    for (const SFileFilter& f : request.filters)
        filters.append(DialogFilterText(f));
    if (request.filters.empty())
        filters = NameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdU16String(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    dialog.setDirectory(QString::fromStdU16String(Platform::DialogStartFolder(request.projectPath)));
    const QString initial = QString::fromStdU16String(request.initialName);
    if (!initial.isEmpty() && !initial.contains(QLatin1Char('*')) && !initial.contains(QLatin1Char('?')))
        dialog.selectFile(initial);
}
