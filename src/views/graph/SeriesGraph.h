// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing of one series' detail: the bar diagram, the values list, the
// statistics, the settings and the comment.  One routine lays the blocks out
// and draws them; in measure mode it only lays out and returns the height
// the drawing needs.  It draws on any painter: the screen, a printer, an
// SVG generator or an image.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CPaperDoc;
class QPainter;

// What the drawing shows of a series, read from the document in one go.
struct SSeriesGraphData {
    int impacts = 0;
    std::vector<uint8_t> valueBytes;   // half steps, in the kind shown (Q or R)
    bool rValues = false;
    bool orderedByValue = false;
    bool autoAxis = true;
    uint8_t lowerByte = 0;
    uint8_t upperByte = 200;
    bool withoutLimits = true;
    int decimals = 1;
    float mean = 0, stdDev = 0, minimum = 0, maximum = 0, range = 0;
    QString unit, lowerText, upperText, serial, comment;

    double Value(int k) const { return valueBytes[static_cast<size_t>(k)] * 0.5; }
};

SSeriesGraphData MakeSeriesGraphData(const CPaperDoc& doc, int series);

// A clickable or tool-tip area registered while drawing.
struct SSensitiveArea {
    QRect rect;
    int id = 0;
    QString tip;   // tool tip (lines separated by "\n"); empty for none
};

class CSeriesGraph {
public:
    // Area ids: the order link, the comment lines, a bar (tool tip only),
    // the upper and the lower limit, the automatic-axis switch.
    enum AreaId { areaNone = 0, areaOrder = 1, areaComment = 2, areaBar = 3, areaUpper = 4, areaLower = 5, areaAxis = 7 };

    static constexpr int kMargin = 10;
    static constexpr int kMinWidth = 800;
    static constexpr int kTopBand = 300;        // the diagram's band (and the values list's height)

    struct SStyle {
        QFont font;              // the cell's font
        bool printing = false;   // printer or picture: no background fill, no hover marks
        int hovered = areaNone;  // the area under the mouse
        bool fillBackground = true;
    };

    // Lays out the blocks for a cell at `cell` (treated as at least
    // kMinWidth wide) and, unless `measure`, draws them.  Returns the height
    // the drawing needs; `areas`, when given, receives the sensitive areas
    // in the painter's coordinates.
    static int Paint(QPainter& painter, const QRect& cell, const SSeriesGraphData& data, const SStyle& style,
                     bool measure, std::vector<SSensitiveArea>* areas);

    // The needed height measured on an image of 1000 x 100 pixels.
    static int Measure(const QRect& cell, const SSeriesGraphData& data, const QFont& font);

    // Splits a text at its line breaks and wraps it at spaces into lines no
    // wider than `width` (`measure` gives a text's width); a word wider than
    // the line is broken between characters.
    template <typename MeasureFn>
    static QStringList WrapText(const QString& text, int width, MeasureFn measure);

    // The two icons of the automatic-axis switch (drawn, not loaded).
    static void DrawAxisIcon(QPainter& painter, const QRect& rect, bool autoAxis);
};

template <typename MeasureFn>
QStringList CSeriesGraph::WrapText(const QString& text, int width, MeasureFn measure)
{
    QStringList lines;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QChar('\r'), QChar('\n'));
    const QStringList paragraphs = normalised.split(QChar('\n'));
    for (const QString& paragraph : paragraphs) {
        const QStringList words = paragraph.split(QChar(' '));
        QString line;
        for (const QString& word : words) {
            const QString candidate = line.isEmpty() ? word : line + QChar(' ') + word;
            if (line.isEmpty() || measure(candidate) <= width) {
                line = candidate;
            } else {
                lines << line;
                line = word;
            }
            // A single word wider than the line is broken between characters.
            while (measure(line) > width && line.size() > 1) {
                int cut = line.size() - 1;
                while (cut > 1 && measure(line.left(cut)) > width)
                    --cut;
                lines << line.left(cut);
                line = line.mid(cut);
            }
        }
        lines << line;
    }
    return lines;
}
