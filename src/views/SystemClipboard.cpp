// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QString CSystemClipboard::MimeName(const std::u16string& format)
{
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QString::fromStdU16String(format));
#else
    // X11 and Wayland carry any target name; the format's own name is used.
    return QString::fromStdU16String(format);
#endif
}

bool CSystemClipboard::HasFormat(const std::u16string& format)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasFormat(MimeName(format));
}

std::vector<uint8_t> CSystemClipboard::GetData(const std::u16string& format)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasFormat(MimeName(format)))
        return {};
    const QByteArray bytes = data->data(MimeName(format));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void CSystemClipboard::Put(QMimeData* data, bool replace)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!replace) {
        if (const QMimeData* current = clipboard->mimeData()) {
            for (const QString& f : current->formats()) {
                if (!data->hasFormat(f))
                    data->setData(f, current->data(f));
            }
        }
    }
    clipboard->setMimeData(data);
}

void CSystemClipboard::SetData(const std::u16string& format, const std::vector<uint8_t>& bytes)
{
    auto* data = new QMimeData;
    data->setData(MimeName(format), QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    Put(data, false);
}

void CSystemClipboard::Clear()
{
    QGuiApplication::clipboard()->clear();
}

void CSystemClipboard::AddText(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    Put(data, false);
}

void CSystemClipboard::Install()
{
    // Never destroyed: a copy or paste late in shutdown stays safe.
    static CSystemClipboard* clipboard = new CSystemClipboard;
    Clipboard::SetProcess(clipboard);
}
