// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UserLanguage.h"

#include <cstdlib>

namespace Platform {

namespace {

struct LanguageEntry {
    const char* language;  // ISO 639-1 code
    const char* territory; // ISO 3166 code; null for the language's default
    uint16_t langId;
};

// The default entry of a language comes first.
constexpr LanguageEntry kLanguages[] = {
    {"en", nullptr, 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "IN", 0x4009},
    {"de", nullptr, 0x0407}, {"de", "CH", 0x0807}, {"de", "AT", 0x0C07}, {"de", "LU", 0x1007},
    {"de", "LI", 0x1407},
    {"fr", nullptr, 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C}, {"fr", "CH", 0x100C},
    {"fr", "LU", 0x140C},
    {"it", nullptr, 0x0410}, {"it", "CH", 0x0810},
    {"es", nullptr, 0x0C0A}, {"es", "MX", 0x080A}, {"es", "AR", 0x2C0A}, {"es", "US", 0x540A},
    {"pt", nullptr, 0x0816}, {"pt", "BR", 0x0416},
    {"nl", nullptr, 0x0413}, {"nl", "BE", 0x0813},
    {"sv", nullptr, 0x041D}, {"sv", "FI", 0x081D},
    {"zh", nullptr, 0x0804}, {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004},
    {"da", nullptr, 0x0406}, {"fi", nullptr, 0x040B}, {"nb", nullptr, 0x0414}, {"no", nullptr, 0x0414},
    {"nn", nullptr, 0x0814}, {"is", nullptr, 0x040F}, {"pl", nullptr, 0x0415}, {"cs", nullptr, 0x0405},
    {"sk", nullptr, 0x041B}, {"sl", nullptr, 0x0424}, {"hu", nullptr, 0x040E}, {"ro", nullptr, 0x0418},
    {"hr", nullptr, 0x041A}, {"sr", nullptr, 0x081A}, {"bg", nullptr, 0x0402}, {"ru", nullptr, 0x0419},
    {"uk", nullptr, 0x0422}, {"el", nullptr, 0x0408}, {"tr", nullptr, 0x041F}, {"et", nullptr, 0x0425},
    {"lv", nullptr, 0x0426}, {"lt", nullptr, 0x0427}, {"ja", nullptr, 0x0411}, {"ko", nullptr, 0x0412},
    {"th", nullptr, 0x041E}, {"vi", nullptr, 0x042A}, {"id", nullptr, 0x0421}, {"he", nullptr, 0x040D},
    {"ar", nullptr, 0x0401}, {"hi", nullptr, 0x0439}, {"ca", nullptr, 0x0403}, {"eu", nullptr, 0x042D},
    {"gl", nullptr, 0x0456}, {"af", nullptr, 0x0436},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

uint16_t LangIdFromLocaleName(std::string_view name)
{
    // language[_territory][.codeset][@modifier]
    const size_t cut = name.find_first_of(".@");
    if (cut != std::string_view::npos)
        name = name.substr(0, cut);
    const size_t underscore = name.find_first_of("_-");
    std::string_view language = name.substr(0, underscore);
    std::string_view territory = underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
    if (language.size() != 2 || !IsLetter(language[0]) || !IsLetter(language[1]))
        return kLangIdEnglishUS;
    const char lang[3] = {Lower(language[0]), Lower(language[1]), 0};
    const LanguageEntry* fallback = nullptr;
    for (const LanguageEntry& e : kLanguages) {
        if (e.language[0] != lang[0] || e.language[1] != lang[1])
            continue;
        if (e.territory == nullptr) {
            if (fallback == nullptr)
                fallback = &e;
            continue;
        }
        if (territory.size() == 2 && Upper(territory[0]) == e.territory[0] && Upper(territory[1]) == e.territory[1])
            return e.langId;
    }
    return fallback ? fallback->langId : kLangIdEnglishUS;
}

uint16_t GetUserDefaultLangId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return LangIdFromLocaleName(value);
    }
    return kLangIdEnglishUS;
}

} // namespace Platform
