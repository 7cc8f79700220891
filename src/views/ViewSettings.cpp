// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/ViewSettings.h"

#include "platform/SettingsStore.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace ViewSettings {

uint32_t DtFormat()
{
    return CSettingsStore::PeekDateTimeFormat();
}

QString PictureToQtFormat(std::u16string_view picture)
{
    QString out;
    size_t k = 0;
    while (k < picture.size()) {
        const char16_t c = picture[k];
        if (c == u'\'') {
            // Quoted text, '' inside it is one quote: the same in Qt.
            size_t end = k + 1;
            while (end < picture.size()) {
                if (picture[end] == u'\'') {
                    if (end + 1 < picture.size() && picture[end + 1] == u'\'') {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            out += QString::fromStdU16String(std::u16string(picture.substr(k, std::min(end + 1, picture.size()) - k)));
            if (end >= picture.size())
                out += QChar('\'');
            k = end + 1;
            continue;
        }
        size_t run = 1;
        while (k + run < picture.size() && picture[k + run] == c)
            ++run;
        const auto repeat = [](char ch, size_t n) { return QString(static_cast<int>(n), QChar(ch)); };
        switch (c) {
        case u'd': out += repeat('d', std::min<size_t>(run, 4)); break;
        case u'M': out += repeat('M', std::min<size_t>(run, 4)); break;
        case u'y': out += run >= 3 ? QStringLiteral("yyyy") : QStringLiteral("yy"); break;
        case u'h': out += repeat('h', std::min<size_t>(run, 2)); break;
        case u'H': out += repeat('H', std::min<size_t>(run, 2)); break;
        case u'm': out += repeat('m', std::min<size_t>(run, 2)); break;
        case u's': out += repeat('s', std::min<size_t>(run, 2)); break;
        case u't': out += QStringLiteral("AP"); break;
        case u'g': break;
        default: {
            const QString text = QString::fromStdU16String(std::u16string(run, c));
            if (QChar(c).isLetter())
                out += QChar('\'') + text + QChar('\'');
            else
                out += text;
            break;
        }
        }
        k += run;
    }
    return out;
}

std::u16string WithSeconds(std::u16string picture)
{
    return Platform::ReplaceAll(std::move(picture), u"mm", u"mm:ss");
}

} // namespace ViewSettings
