// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/print/PageFrame.h"

#include <QPainter>

#include "data/PaperDoc.h"
#include "platform/DateTimeFormat.h"
#include "platform/Text.h"
#include "update/FileVersionInfo.h"
#include "views/ViewSettings.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace PageFrame {

std::u16string FileNameOf(const std::u16string& path)
{
    const size_t slash = path.find_last_of(u"\\/");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string VersionHeaderText(const CFileVersionInfo& program)
{
    if (program.GetFixedFileInfo().dwSignature != Platform::VS_FFI_SIGNATURE)
        return Platform::LoadString(ViewStrings::kAppName);
    return Platform::FormatU(Platform::LoadString(ViewStrings::kPrintVersion).c_str(),
                             static_cast<int>(program.GetFileVersionPart(3)),
                             static_cast<int>(program.GetFileVersionPart(2)),
                             static_cast<int>(program.GetFileVersionPart(1)),
                             static_cast<int>(program.GetFileVersionPart(0)));
}

std::u16string PageText(int page, int count)
{
    return Platform::FormatU(Platform::LoadString(ViewStrings::kPageOfPages).c_str(), page, count);
}

std::u16string DateTimeText(std::time_t now, uint32_t dtFormat)
{
    std::tm local{};
    localtime_r(&now, &local);
    return Platform::FormatDatePicture(Platform::GetDatePicture(dtFormat), local) + u" " +
           Platform::FormatTimePicture(Platform::GetTimePicture(dtFormat), local);
}

SPrintInfo MakePrintInfo(const CPaperDoc& doc, const CFileVersionInfo& program, uint32_t dtFormat, std::time_t now)
{
    SPrintInfo info;
    info.leftHeader = ViewText::Load(ViewStrings::kPrintCompany);
    info.centreHeader = ViewText::Load(ViewStrings::kPrintTitle);
    info.rightHeader = ViewText::Q(VersionHeaderText(program));
    info.pageFormat = ViewText::Load(ViewStrings::kPageOfPages);
    info.fileName = ViewText::Q(FileNameOf(doc.GetPath()));
    info.printedAt = ViewText::Q(DateTimeText(now, dtFormat));
    return info;
}

SPrintInfo MakePrintInfo(const CPaperDoc& doc)
{
    CFileVersionInfo program;
    program.Read();
    return MakePrintInfo(doc, program, ViewSettings::DtFormat(), std::time(nullptr));
}

QFont FrameFont(const QFont& font)
{
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    return bold;
}

namespace {

void DrawTexts(QPainter& painter, const QRectF& line, const QFont& font, const QString& left, const QString& centre,
               const QString& right)
{
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(line, flags | Qt::AlignLeft, left);
    painter.drawText(line, flags | Qt::AlignHCenter, centre);
    painter.drawText(line, flags | Qt::AlignRight, right);
}

} // namespace

void DrawHeader(QPainter& painter, const SPrintInfo& info, const QRectF& band, const QFont& font)
{
    painter.save();
    DrawTexts(painter, band, font, info.leftHeader, info.centreHeader, info.rightHeader);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(band.left(), band.bottom()), QPointF(band.right(), band.bottom()));
    painter.restore();
}

void DrawFooter(QPainter& painter, const SPrintInfo& info, int page, int count, const QRectF& band, const QFont& font)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(band.left(), band.top()), QPointF(band.right(), band.top()));
    const QString number = ViewText::Q(Platform::FormatU(info.pageFormat.toStdU16String().c_str(), page, count));
    DrawTexts(painter, band, font, number, info.fileName, info.printedAt);
    painter.restore();
}

} // namespace PageFrame
