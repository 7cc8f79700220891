// SPDX-License-Identifier: GPL-3.0-or-later
// brelmora-make-manual --strings FILE --version V --out OUT.pdf FOLDER
//
// Turns one language's user manual, kept as Markdown in FOLDER, into the PDF
// that Help opens.  FOLDER holds title.md (the title page) and the chapters
// NN-name.md, taken in the order of their names; each chapter starts on a new
// page.  Pictures are named relative to the Markdown file; a picture that is
// missing fails the build.  FILE is the language's string file with the
// words the tool adds itself (the contents page's title, the page footer).
// "@VERSION@" in the Markdown is replaced by V.
//
// The layout: a title page, the contents with page numbers, then the
// chapters; every page but the title page carries the chapter in its header
// and "Page n of N" in its footer.  A heading never stands alone at the foot
// of a page, and a picture is never wider than the text nor taller than half
// the page.  The PDF is written whole or not at all.  Exit status: 0 written,
// 1 wrong usage or string file, 2 a Markdown file or picture cannot be read,
// 3 the PDF cannot be written.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kResolution = 300;          // dots per inch of the layout
constexpr qreal kMarginMm = 20.0;         // page margins
constexpr qreal kHeaderMm = 8.0;          // band for the header and the footer
constexpr qreal kMaxPictureShare = 0.5;   // of the text height
constexpr int kStringContents = 57500;
constexpr int kStringPage = 57501;

void Fail(const QString& text)
{
    std::fprintf(stderr, "brelmora-make-manual: %s\n", text.toLocal8Bit().constData());
}

qreal MmToDots(qreal mm)
{
    return mm / 25.4 * kResolution;
}

// id -> text of a string file ("id<TAB>text" lines, "\n" as a line break).
QMap<int, QString> ReadStrings(const QString& path, bool& ok)
{
    QMap<int, QString> texts;
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!ok)
        return texts;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const int tab = line.indexOf(QLatin1Char('\t'));
        bool number = false;
        const int id = line.left(tab).toInt(&number);
        if (tab > 0 && number)
            texts[id] = line.mid(tab + 1).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    }
    return texts;
}

QString ReadText(const QString& path, bool& ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly | QIODevice::Text);
    return ok ? QString::fromUtf8(file.readAll()) : QString();
}

// One page of the body: what it shows of the document and the chapter above it.
struct SPage {
    const QTextDocument* doc = nullptr;
    int index = 0;        // page of `doc`
    QString chapter;
    bool numbered = true;
    qreal shift = 0;      // moves the text down on its page
};

class CManual {
public:
    CManual(QPdfWriter& writer, QString version) : m_writer(writer), m_version(std::move(version))
    {
        const QRect page = writer.pageLayout().paintRectPixels(kResolution);
        m_body = QRectF(page.left(), page.top() + MmToDots(kHeaderMm), page.width(),
                        page.height() - 2 * MmToDots(kHeaderMm));
    }

    bool LoadChapters(const QString& folder);
    bool Write(const QString& contentsTitle, const QString& pageText);
    const QString& Title() const { return m_manualTitle; }

private:
    std::unique_ptr<QTextDocument> NewDocument(qreal fontSize) const;
    bool SetMarkdown(QTextDocument& doc, QString markdown, const QString& folder);
    bool ResolvePictures(QTextDocument& doc, const QString& folder);
    void KeepHeadingsWithText(QTextDocument& doc);
    int PageOf(const QTextDocument& doc, qreal y) const { return static_cast<int>(y / m_body.height()); }
    // Top of each heading of a level up to `maxLevel`: (level, text, page).
    struct SHeading {
        int level;
        QString text;
        int page;
    };
    std::vector<SHeading> Headings(const QTextDocument& doc, int maxLevel) const;
    std::unique_ptr<QTextDocument> Contents(const QString& title, const std::vector<SHeading>& headings,
                                            int firstPage) const;
    void DrawPage(QPainter& painter, const SPage& page, int number, int total, const QString& pageText) const;

    QPdfWriter& m_writer;
    QString m_version;
    QRectF m_body;
    std::unique_ptr<QTextDocument> m_title;
    std::unique_ptr<QTextDocument> m_chapters;
    QString m_manualTitle;
};

std::unique_ptr<QTextDocument> CManual::NewDocument(qreal fontSize) const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->documentLayout()->setPaintDevice(&m_writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(fontSize);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->setPageSize(m_body.size());
    return doc;
}

bool CManual::SetMarkdown(QTextDocument& doc, QString markdown, const QString& folder)
{
    markdown.replace(QStringLiteral("@VERSION@"), m_version);
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    return ResolvePictures(doc, folder);
}

// Every picture is loaded from its file (relative to the Markdown) and sized
// to the text: full width at most, half the text height at most.
bool CManual::ResolvePictures(QTextDocument& doc, const QString& folder)
{
    // Image sizes are in pixels of 96 dots per inch; the layout scales them.
    const qreal toLogical = 96.0 / kResolution;
    const qreal maxWidth = m_body.width() * toLogical;
    const qreal maxHeight = m_body.height() * toLogical * kMaxPictureShare;
    bool ok = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QString name = format.name();
            const QString path = QDir(folder).absoluteFilePath(QUrl(name).path());
            const QImage image(path);
            if (image.isNull()) {
                Fail(QStringLiteral("%1: the picture %2 cannot be read").arg(folder, name));
                ok = false;
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
            qreal width = image.width();
            qreal height = image.height();
            const qreal scale = std::min({1.0, maxWidth / width, maxHeight / height});
            format.setWidth(std::floor(width * scale));
            format.setHeight(std::floor(height * scale));
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
            // A picture gets some air above and below.
            QTextBlockFormat blockFormat = block.blockFormat();
            blockFormat.setTopMargin(MmToDots(1.5));
            blockFormat.setBottomMargin(MmToDots(2.5));
            cursor.setBlockFormat(blockFormat);
        }
    }
    return ok;
}

bool CManual::LoadChapters(const QString& folder)
{
    bool ok = false;
    const QString title = ReadText(folder + QStringLiteral("/title.md"), ok);
    if (!ok) {
        Fail(QStringLiteral("%1/title.md cannot be read").arg(folder));
        return false;
    }
    m_title = NewDocument(18);
    if (!SetMarkdown(*m_title, title, folder))
        return false;
    m_manualTitle = m_title->begin().text();
    for (QTextBlock block = m_title->begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setAlignment(Qt::AlignHCenter);
        cursor.setBlockFormat(format);
    }

    const QStringList files = QDir(folder).entryList({QStringLiteral("[0-9][0-9]-*.md")}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        Fail(QStringLiteral("%1 holds no chapter (NN-name.md)").arg(folder));
        return false;
    }
    QString markdown;
    for (const QString& name : files) {
        const QString text = ReadText(folder + QLatin1Char('/') + name, ok);
        if (!ok) {
            Fail(QStringLiteral("%1/%2 cannot be read").arg(folder, name));
            return false;
        }
        markdown += text + QStringLiteral("\n\n");
    }
    m_chapters = NewDocument(10);
    if (!SetMarkdown(*m_chapters, markdown, folder))
        return false;

    // Chapters begin on a page of their own; tables and code get some air.
    bool first = true;
    for (QTextBlock block = m_chapters->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.headingLevel() == 1) {
            if (!first)
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            first = false;
        }
        if (format.headingLevel() > 0)
            format.setTopMargin(format.headingLevel() == 1 ? 0 : MmToDots(2));
        // Code blocks (a block per line, marked with their language) stand out
        // on a light ground and wrap at the margin instead of running off the page.
        if (format.hasProperty(QTextFormat::BlockCodeLanguage) || format.nonBreakableLines()) {
            format.setBackground(QColor(240, 240, 240));
            format.setLeftMargin(MmToDots(2));
            format.setNonBreakableLines(false);
        }
        QTextCursor(block).setBlockFormat(format);
    }
    for (QTextFrame* frame : m_chapters->rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setBorderCollapse(true);
            format.setHeaderRowCount(1);   // repeated on every page the table spans
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
    }
    KeepHeadingsWithText(*m_chapters);
    return true;
}

// A heading whose next line falls on the next page moves to that page.
void CManual::KeepHeadingsWithText(QTextDocument& doc)
{
    for (int round = 0; round < 20; ++round) {
        bool moved = false;
        QAbstractTextDocumentLayout* layout = doc.documentLayout();
        for (QTextBlock block = doc.begin(); block.isValid() && !moved; block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            if (format.headingLevel() == 0 || format.pageBreakPolicy() == QTextFormat::PageBreak_AlwaysBefore)
                continue;
            const QTextBlock next = block.next();
            if (!next.isValid())
                continue;
            const qreal top = layout->blockBoundingRect(block).top();
            const QRectF nextRect = layout->blockBoundingRect(next);
            qreal nextLineBottom = nextRect.bottom();
            if (next.layout() != nullptr && next.layout()->lineCount() > 0) {
                const QTextLine line = next.layout()->lineAt(0);
                nextLineBottom = nextRect.top() + line.y() + line.height();
            }
            if (PageOf(doc, top) != PageOf(doc, nextLineBottom - 1)) {
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                QTextCursor(block).setBlockFormat(format);
                moved = true;
            }
        }
        if (!moved)
            return;
    }
}

std::vector<CManual::SHeading> CManual::Headings(const QTextDocument& doc, int maxLevel) const
{
    std::vector<SHeading> headings;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0 && level <= maxLevel)
            headings.push_back({level, block.text(), PageOf(doc, layout->blockBoundingRect(block).top() + 1)});
    }
    return headings;
}

std::unique_ptr<QTextDocument> CManual::Contents(const QString& title, const std::vector<SHeading>& headings,
                                                 int firstPage) const
{
    auto doc = NewDocument(9);
    QTextCursor cursor(doc.get());
    QTextBlockFormat heading;
    heading.setHeadingLevel(1);
    heading.setBottomMargin(MmToDots(4));
    QTextCharFormat headingChars;
    headingChars.setFontWeight(QFont::Bold);
    headingChars.setProperty(QTextFormat::FontSizeAdjustment, 3);
    cursor.setBlockFormat(heading);
    cursor.insertText(title, headingChars);

    QTextTableFormat tableFormat;
    tableFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    tableFormat.setBorder(0);
    tableFormat.setCellPadding(0);
    tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    tableFormat.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                           QTextLength(QTextLength::PercentageLength, 10)});
    cursor.movePosition(QTextCursor::End);
    QTextTable* table = cursor.insertTable(static_cast<int>(headings.size()), 2, tableFormat);
    for (size_t i = 0; i < headings.size(); ++i) {
        QTextCharFormat chars;
        chars.setFontWeight(headings[i].level == 1 ? QFont::Bold : QFont::Normal);
        QTextCursor cell = table->cellAt(static_cast<int>(i), 0).firstCursorPosition();
        QTextBlockFormat indent;
        indent.setIndent(headings[i].level - 1);
        if (headings[i].level == 1 && i > 0)
            indent.setTopMargin(MmToDots(1.2));
        cell.setBlockFormat(indent);
        cell.insertText(headings[i].text, chars);
        QTextCursor number = table->cellAt(static_cast<int>(i), 1).firstCursorPosition();
        QTextBlockFormat right = indent;
        right.setIndent(0);
        right.setAlignment(Qt::AlignRight);
        number.setBlockFormat(right);
        number.insertText(QString::number(firstPage + headings[i].page), chars);
    }
    return doc;
}

void CManual::DrawPage(QPainter& painter, const SPage& page, int number, int total, const QString& pageText) const
{
    const QRectF paper = m_writer.pageLayout().paintRectPixels(kResolution);
    painter.save();
    painter.translate(m_body.left(), m_body.top() + page.shift - page.index * m_body.height());
    const QRectF shown(0, page.index * m_body.height(), m_body.width(), m_body.height());
    painter.setClipRect(shown);
    // Lines that touch the page's edge from the page before or after are
    // left out, not merely clipped: their text would otherwise stay in the
    // PDF, invisible, and be found twice by a search.
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = shown.adjusted(0, 0.5, 0, -0.5);
    page.doc->documentLayout()->draw(&painter, context);
    painter.restore();
    if (!page.numbered)
        return;

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.setPen(QColor(90, 90, 90));
    const qreal band = MmToDots(kHeaderMm);
    const QRectF header(paper.left(), paper.top(), paper.width(), band * 0.7);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, m_manualTitle);
    painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, page.chapter);
    painter.drawLine(QPointF(paper.left(), header.bottom()), QPointF(paper.right(), header.bottom()));
    const QRectF footer(paper.left(), paper.bottom() - band * 0.7, paper.width(), band * 0.7);
    QString text = pageText;
    text.replace(text.indexOf(QStringLiteral("%d")), 2, QString::number(number));
    text.replace(text.indexOf(QStringLiteral("%d")), 2, QString::number(total));
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignVCenter, text);
}

bool CManual::Write(const QString& contentsTitle, const QString& pageText)
{
    const std::vector<SHeading> chapters = Headings(*m_chapters, 1);
    const std::vector<SHeading> entries = Headings(*m_chapters, 2);
    // The contents come after the title page; their length does not depend
    // on the page numbers they show.
    const int contentsPages = Contents(contentsTitle, entries, 0)->pageCount();
    const int firstChapterPage = 1 + contentsPages + 1;
    const std::unique_ptr<QTextDocument> contents = Contents(contentsTitle, entries, firstChapterPage);

    std::vector<SPage> pages;
    pages.push_back({m_title.get(), 0, QString(), false});
    for (int i = 0; i < contents->pageCount(); ++i)
        pages.push_back({contents.get(), i, contentsTitle, true});
    for (int i = 0; i < m_chapters->pageCount(); ++i) {
        QString chapter;
        for (const SHeading& heading : chapters)
            if (heading.page <= i)
                chapter = heading.text;
        pages.push_back({m_chapters.get(), i, chapter, true});
    }

    // The title block stands in the upper third of its page.
    // (The document's size is whole pages: the text ends at its last block.)
    const qreal titleHeight = m_title->documentLayout()->blockBoundingRect(m_title->lastBlock()).bottom();
    const qreal titleOffset = std::max<qreal>(0, m_body.height() / 3 - titleHeight / 2);
    pages.front().shift = titleOffset;

    QPainter painter;
    if (!painter.begin(&m_writer))
        return false;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !m_writer.newPage())
            return false;
        DrawPage(painter, pages[i], static_cast<int>(i) + 1, static_cast<int>(pages.size()), pageText);
    }
    return painter.end();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString strings, version, out, folder;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if ((arg == QLatin1String("--strings") || arg == QLatin1String("--version") || arg == QLatin1String("--out")) &&
            i + 1 < args.size()) {
            QString& target = arg == QLatin1String("--strings") ? strings
                              : arg == QLatin1String("--version") ? version
                                                                   : out;
            target = args[++i];
        } else if (!arg.startsWith(QLatin1Char('-')) && folder.isEmpty()) {
            folder = arg;
        } else {
            folder.clear();
            break;
        }
    }
    if (strings.isEmpty() || version.isEmpty() || out.isEmpty() || folder.isEmpty()) {
        std::fprintf(stderr, "usage: brelmora-make-manual --strings FILE --version V --out OUT.pdf FOLDER\n");
        return 1;
    }
    bool ok = false;
    const QMap<int, QString> texts = ReadStrings(strings, ok);
    if (!ok || !texts.contains(kStringContents) || !texts.contains(kStringPage)) {
        Fail(QStringLiteral("%1: cannot be read or lacks the strings %2 and %3")
                 .arg(strings)
                 .arg(kStringContents)
                 .arg(kStringPage));
        return 1;
    }

    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly)) {
        Fail(QStringLiteral("%1 cannot be written: %2").arg(out, file.errorString()));
        return 3;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm * 0.75, kMarginMm, kMarginMm * 0.75),
                                     QPageLayout::Millimeter));
    writer.setCreator(QStringLiteral("brelmora-make-manual"));

    CManual manual(writer, version);
    if (!manual.LoadChapters(QDir(folder).absolutePath()))
        return 2;
    writer.setTitle(manual.Title());
    if (!manual.Write(texts[kStringContents], texts[kStringPage])) {
        Fail(QStringLiteral("%1 could not be made").arg(out));
        return 3;
    }
    if (!file.commit()) {
        Fail(QStringLiteral("%1 cannot be written: %2").arg(out, file.errorString()));
        return 3;
    }
    return 0;
}
