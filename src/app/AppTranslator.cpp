// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppTranslator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <cstring>
#include <iterator>

#include "app/AppStrings.h"
#include "platform/StringTable.h"

namespace {

struct SButtonText {
    const char* source;   // Qt's text without '&'
    uint32_t id;
};

constexpr SButtonText kButtons[] = {
    {"OK", AppStrings::kButtonOk},       {"Cancel", AppStrings::kButtonCancel}, {"Yes", AppStrings::kButtonYes},
    {"No", AppStrings::kButtonNo},       {"Close", AppStrings::kButtonClose},   {"Save", AppStrings::kButtonSave},
    {"Open", AppStrings::kButtonOpen},
};

// The print preview's texts, in the order of their string ids from
// AppStrings::kFirstPreviewText on.
constexpr const char* kPreviewTexts[] = {
    "Print Preview", "Next page", "Previous page", "First page", "Last page", "Fit width", "Fit page",
    "Zoom in", "Zoom out", "Portrait", "Landscape", "Show single page", "Show facing pages",
    "Show overview of all pages", "Print", "Page setup",
};

QString WithoutMnemonic(const char* text)
{
    QString s = QString::fromUtf8(text);
    s.remove(QLatin1Char('&'));
    return s;
}

// The primary language of a Windows language id as Qt's locale language.
QLocale::Language LocaleLanguage(uint16_t languageId)
{
    switch (languageId & 0x3FF) {
    case 0x07: return QLocale::German;
    case 0x0C: return QLocale::French;
    case 0x0A: return QLocale::Spanish;
    case 0x10: return QLocale::Italian;
    case 0x13: return QLocale::Dutch;
    case 0x15: return QLocale::Polish;
    case 0x16: return QLocale::Portuguese;
    case 0x19: return QLocale::Russian;
    case 0x05: return QLocale::Czech;
    case 0x1D: return QLocale::Swedish;
    case 0x0B: return QLocale::Finnish;
    case 0x11: return QLocale::Japanese;
    case 0x04: return QLocale::Chinese;
    default: return QLocale::English;
    }
}

} // namespace

QString CStringTableTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (context == nullptr || sourceText == nullptr)
        return QString();
    if (std::strcmp(context, "QPrintPreviewDialog") == 0) {
        for (size_t k = 0; k < std::size(kPreviewTexts); ++k) {
            if (std::strcmp(sourceText, kPreviewTexts[k]) == 0)
                return QString::fromStdU16String(
                    Platform::LoadString(AppStrings::kFirstPreviewText + static_cast<uint32_t>(k)));
        }
        return QString();
    }
    if (std::strcmp(context, "QPlatformTheme") != 0 && std::strcmp(context, "QGnomeTheme") != 0)
        return QString();
    const QString plain = WithoutMnemonic(sourceText);
    for (const SButtonText& button : kButtons) {
        if (plain == QLatin1String(button.source))
            return QString::fromStdU16String(Platform::LoadString(button.id));
    }
    return QString();
}

CAppTranslations::CAppTranslations() : m_strings(std::make_unique<CStringTableTranslator>()) {}

CAppTranslations::~CAppTranslations()
{
    if (QCoreApplication::instance() == nullptr)
        return;
    if (m_qt)
        QCoreApplication::removeTranslator(m_qt.get());
    if (m_installed)
        QCoreApplication::removeTranslator(m_strings.get());
}

void CAppTranslations::Apply(uint16_t languageId)
{
    if (QCoreApplication::instance() == nullptr)
        return;
    if (m_qt) {
        QCoreApplication::removeTranslator(m_qt.get());
        m_qt.reset();
    }
    const QLocale::Language language = LocaleLanguage(languageId);
    if (language != QLocale::English) {
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            m_qt = std::move(qt);
        }
    }
    // Installed last, so the string table's button texts win; installing
    // sends every widget a language-change event.
    if (m_installed)
        QCoreApplication::removeTranslator(m_strings.get());
    QCoreApplication::installTranslator(m_strings.get());
    m_installed = true;
}
