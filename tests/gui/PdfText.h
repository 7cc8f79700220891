// SPDX-License-Identifier: GPL-3.0-or-later
// Reading printed PDF files back for the print tests: the text of every
// page through poppler's pdftotext (scripts/install-deps installs it).
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace PdfText {

inline const char* Program()
{
    return "/usr/bin/pdftotext";
}

inline bool Available()
{
    return QFile::exists(QString::fromLatin1(Program()));
}

// The text of each page, in order (empty when pdftotext failed).
inline QStringList Pages(const std::string& pdf)
{
    QProcess process;
    process.start(QString::fromLatin1(Program()),
                  {QStringLiteral("-layout"), QString::fromStdString(pdf), QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QChar('\f'));
    // pdftotext ends every page with a form feed.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace PdfText
