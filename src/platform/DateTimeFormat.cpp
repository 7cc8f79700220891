// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateTimeFormat.h"

#include "platform/CivilTime.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Platform {

namespace {

constexpr uint32_t kFirstDatePictureId = 1850;
constexpr uint32_t kFirstTimePictureId = 1854;
constexpr size_t kMaxPictureResult = 31;   // the texts fill 32-character buffers

// Names of the invariant locale.
const char16_t* const kDayNames[7] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday",
                                      u"Thursday", u"Friday", u"Saturday"};
const char16_t* const kDayAbbrev[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
const char16_t* const kMonthNames[12] = {u"January", u"February", u"March", u"April", u"May", u"June",
                                         u"July", u"August", u"September", u"October", u"November", u"December"};
const char16_t* const kMonthAbbrev[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                          u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

uint32_t PictureIndex(uint32_t bits)
{
    bits &= 0xFF;
    return bits <= 3 ? bits : 0;
}

std::u16string Number(int64_t value, int minDigits)
{
    return Format("%0*lld", minDigits, static_cast<long long>(value));
}

std::u16string CutToBuffer(std::u16string text)
{
    if (text.size() > kMaxPictureResult) {
        text.resize(kMaxPictureResult);
        // Never leave half of a surrogate pair.
        if (text.back() >= 0xD800 && text.back() <= 0xDBFF)
            text.pop_back();
    }
    return text;
}

// Expands one run of `count` equal letters; false when `c` is not a field
// letter of this kind of picture.
using FieldWriter = bool (*)(char16_t c, size_t count, const Civil::Fields& f, std::u16string& out);

bool WriteDateField(char16_t c, size_t count, const Civil::Fields& f, std::u16string& out)
{
    switch (c) {
    case u'd':
        if (count <= 2)
            out += Number(f.day, static_cast<int>(count));
        else
            out += count == 3 ? kDayAbbrev[f.weekday] : kDayNames[f.weekday];
        return true;
    case u'M':
        if (count <= 2)
            out += Number(f.month, static_cast<int>(count));
        else
            out += count == 3 ? kMonthAbbrev[f.month - 1] : kMonthNames[f.month - 1];
        return true;
    case u'y': {
        const int64_t shortYear = ((f.year % 100) + 100) % 100;
        if (count <= 2)
            out += Number(shortYear, static_cast<int>(count));
        else
            out += Number(f.year, 4);
        return true;
    }
    case u'g':
        out += u"A.D.";
        return true;
    default:
        return false;
    }
}

bool WriteTimeField(char16_t c, size_t count, const Civil::Fields& f, std::u16string& out)
{
    const int width = count >= 2 ? 2 : 1;
    switch (c) {
    case u'h':
        out += Number(f.hour % 12 == 0 ? 12 : f.hour % 12, width);
        return true;
    case u'H':
        out += Number(f.hour, width);
        return true;
    case u'm':
        out += Number(f.minute, width);
        return true;
    case u's':
        out += Number(f.second, width);
        return true;
    case u't':
        out += f.hour < 12 ? u'A' : u'P';
        if (count >= 2)
            out += u'M';
        return true;
    default:
        return false;
    }
}

std::u16string FormatPicture(std::u16string_view picture, const std::tm& tm, FieldWriter writeField)
{
    const Civil::Fields f = Civil::FieldsFromSeconds(Civil::SecondsFromTm(tm));
    std::u16string out;
    size_t i = 0;
    while (i < picture.size()) {
        const char16_t c = picture[i];
        if (c == u'\'') {
            // Quoted literal; '' inside it stands for one quote.  An
            // unterminated literal runs to the end of the picture.
            for (++i; i < picture.size(); ++i) {
                if (picture[i] == u'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                        out += u'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i];
            }
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (!writeField(c, run, f, out))
            out.append(picture.substr(i, run));
        i += run;
        if (out.size() > kMaxPictureResult + 1)
            break;   // the rest would be cut off anyway
    }
    return CutToBuffer(std::move(out));
}

} // namespace

std::u16string GetDatePicture(uint32_t dtFormat, uint32_t* stringId)
{
    const uint32_t id = kFirstDatePictureId + PictureIndex(dtFormat >> 8);
    if (stringId != nullptr)
        *stringId = id;
    return LoadString(id);
}

std::u16string GetTimePicture(uint32_t dtFormat, uint32_t* stringId)
{
    const uint32_t id = kFirstTimePictureId + PictureIndex(dtFormat);
    if (stringId != nullptr)
        *stringId = id;
    return LoadString(id);
}

std::u16string FormatDatePicture(std::u16string_view picture, const std::tm& tm)
{
    return FormatPicture(picture, tm, WriteDateField);
}

std::u16string FormatTimePicture(std::u16string_view picture, const std::tm& tm)
{
    return FormatPicture(picture, tm, WriteTimeField);
}

} // namespace Platform
