// SPDX-License-Identifier: GPL-3.0-or-later
#include "ContentJson.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>

#include "SeriesGenerator.h"
#include "platform/Text.h"

namespace Sim {

namespace {

using nlohmann::json;

// A content error with the JSON path of the element at fault.
struct SBad {
    std::string message;
};

[[noreturn]] void Bad(const std::string& path, const std::string& what)
{
    throw SBad{path + ": " + what};
}

void CheckKeys(const json& obj, const std::string& path, std::initializer_list<const char*> keys)
{
    if (!obj.is_object())
        Bad(path, "must be an object");
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        bool known = false;
        for (const char* k : keys)
            known = known || it.key() == k;
        if (!known)
            Bad(path, "unknown key \"" + it.key() + "\"");
    }
}

// JSON text (UTF-8) to the instrument's 8-bit characters.
std::string Text8(const json& v, const std::string& path, size_t maxSize)
{
    if (!v.is_string())
        Bad(path, "must be a text");
    const std::u16string wide = Platform::FromUtf8(v.get<std::string>());
    std::string out;
    for (char16_t c : wide) {
        if (c > 0xFF)
            Bad(path, "holds a character outside ISO 8859-1");
        if (c == 0)
            Bad(path, "holds a NUL character");
        out.push_back(static_cast<char>(c));
    }
    if (out.size() > maxSize)
        Bad(path, "longer than " + std::to_string(maxSize) + " characters");
    return out;
}

int64_t Integer(const json& v, const std::string& path, int64_t min, int64_t max)
{
    if (!v.is_number_integer())
        Bad(path, "must be a whole number");
    const int64_t n = v.is_number_unsigned() && v.get<uint64_t>() > INT64_MAX
                          ? INT64_MAX
                          : v.get<int64_t>();
    if (n < min || n > max)
        Bad(path, "outside " + std::to_string(min) + ".." + std::to_string(max));
    return n;
}

// A number of half steps from a value given in whole units (Q): 45.5 -> 91.
uint8_t HalfSteps(const json& v, const std::string& path)
{
    if (!v.is_number())
        Bad(path, "must be a number");
    const double q = v.get<double>();
    if (!(q >= 0.0 && q <= 127.5))
        Bad(path, "outside 0..127.5");
    return static_cast<uint8_t>(std::lround(q * 2.0));
}

uint32_t Hex32(const json& v, const std::string& path)
{
    if (v.is_number_integer())
        return static_cast<uint32_t>(Integer(v, path, 0, 0xFFFFFFFFLL));
    if (!v.is_string())
        Bad(path, "must be a hexadecimal text or a number");
    const std::string s = v.get<std::string>();
    if (s.empty() || s.size() > 8 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        Bad(path, "must be up to eight hexadecimal digits");
    return static_cast<uint32_t>(std::stoul(s, nullptr, 16));
}

uint32_t DateTime(const json& v, const std::string& path)
{
    if (v.is_number_integer())
        return static_cast<uint32_t>(Integer(v, path, 0, 0xFFFFFFFFLL));
    if (!v.is_string())
        Bad(path, "must be \"YYYY-MM-DD HH:MM:SS\" or a number of seconds");
    const std::string s = v.get<std::string>();
    int y, mo, d, h, mi, se;
    char sep, end;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c", &y, &mo, &d, &sep, &h, &mi, &se, &end) != 7 ||
        (sep != ' ' && sep != 'T'))
        Bad(path, "must be \"YYYY-MM-DD HH:MM:SS\"");
    if (y < 2000 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || se < 0 || se > 59)
        Bad(path, "not a valid date and time from 2000 on");
    const int64_t count = DateTimeToSeconds(y, mo, d, h, mi, se);
    if (count > 0xFFFFFFFFLL)
        Bad(path, "beyond the range of the instrument's clock (2136)");
    int y2, mo2, d2, h2, mi2, se2;
    CountToDateTime(static_cast<uint32_t>(count), y2, mo2, d2, h2, mi2, se2);
    if (d2 != d)
        Bad(path, "no such day in that month");
    return static_cast<uint32_t>(count);
}

SSimImpact Impact(const json& v, const std::string& path)
{
    SSimImpact imp;
    const json* q = nullptr;
    const json* e = nullptr;
    const json* st = nullptr;
    if (v.is_array()) {
        if (v.size() < 1 || v.size() > 3)
            Bad(path, "must be [q, energy, status] with energy and status optional");
        q = &v[0];
        if (v.size() > 1)
            e = &v[1];
        if (v.size() > 2)
            st = &v[2];
    } else {
        CheckKeys(v, path, {"q", "energy", "status"});
        if (!v.contains("q"))
            Bad(path, "needs \"q\"");
        q = &v["q"];
        if (v.contains("energy"))
            e = &v["energy"];
        if (v.contains("status"))
            st = &v["status"];
    }
    imp.value = HalfSteps(*q, path + ".q");
    if (e) {
        if (!e->is_number() || !(e->get<double>() >= 0.0 && e->get<double>() <= 65.535))
            Bad(path + ".energy", "must be a number from 0 to 65.535");
        imp.energy = static_cast<uint16_t>(std::lround(e->get<double>() * 1000.0));
    }
    if (st)
        imp.status = static_cast<uint8_t>(Integer(*st, path + ".status", 0, 255));
    return imp;
}

SSimSeries Series(const json& v, const std::string& path)
{
    CheckKeys(v, path, {"rollId", "counter", "dateTime", "lowerLimit", "upperLimit", "reserved",
                        "impacts"});
    SSimSeries s;
    if (v.contains("rollId"))
        s.rollId = Text8(v["rollId"], path + ".rollId", ROLL_ID_SIZE);
    if (v.contains("counter"))
        s.counter = static_cast<uint16_t>(Integer(v["counter"], path + ".counter", 0, 65535));
    if (v.contains("dateTime"))
        s.dateTime = DateTime(v["dateTime"], path + ".dateTime");
    if (v.contains("lowerLimit"))
        s.lowerLimit = HalfSteps(v["lowerLimit"], path + ".lowerLimit");
    if (v.contains("upperLimit"))
        s.upperLimit = HalfSteps(v["upperLimit"], path + ".upperLimit");
    if (v.contains("reserved")) {
        const json& r = v["reserved"];
        if (!r.is_array() || r.size() != 2)
            Bad(path + ".reserved", "must be two bytes");
        for (size_t i = 0; i < 2; ++i)
            s.reserved[i] = static_cast<uint8_t>(Integer(r[i], path + ".reserved", 0, 255));
    }
    if (v.contains("impacts")) {
        const json& list = v["impacts"];
        if (!list.is_array())
            Bad(path + ".impacts", "must be a list");
        if (list.size() > MAX_IMPACTS)
            Bad(path + ".impacts", "more than 255 impacts");
        for (size_t k = 0; k < list.size(); ++k)
            s.impacts.push_back(Impact(list[k], path + ".impacts[" + std::to_string(k) + "]"));
    }
    return s;
}

void Parse(const json& doc, SSimContent& c)
{
    CheckKeys(doc, "document", {"identity", "infoBlock", "echo", "option", "optionSupported",
                                "names", "series", "generate"});
    if (doc.contains("identity")) {
        const json& id = doc["identity"];
        CheckKeys(id, "identity", {"typeName", "hardwareRevision", "serialNumber", "signature",
                                   "applicationVersion", "bootloaderVersion", "hardwareId"});
        SSimIdentity& out = c.identity;
        // The texts travel in the ";"-separated identification line, so they
        // may not hold a ";" or line ends; 30 characters is plenty.
        auto field = [&](const char* key, std::string& target) {
            if (!id.contains(key))
                return;
            target = Text8(id[key], std::string("identity.") + key, 30);
            if (target.find_first_of(";\r\n") != std::string::npos)
                Bad(std::string("identity.") + key, "may not hold \";\" or line ends");
        };
        field("typeName", out.typeName);
        field("hardwareRevision", out.hardwareRevision);
        field("serialNumber", out.serialNumber);
        field("applicationVersion", out.applicationVersion);
        field("bootloaderVersion", out.bootloaderVersion);
        if (id.contains("signature"))
            out.signature = Hex32(id["signature"], "identity.signature");
        if (id.contains("hardwareId"))
            out.hardwareId = Hex32(id["hardwareId"], "identity.hardwareId");
    }
    if (doc.contains("infoBlock")) {
        const json& v = doc["infoBlock"];
        if (!v.is_string())
            Bad("infoBlock", "must be a text of 256 hexadecimal digits");
        const std::string hex = v.get<std::string>();
        if (hex.size() != 2 * INFO_BLOCK_SIZE ||
            hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Bad("infoBlock", "must be a text of 256 hexadecimal digits");
        for (size_t i = 0; i < INFO_BLOCK_SIZE; ++i)
            c.rawInfoBlock[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        c.hasRawInfoBlock = true;
    }
    auto flag = [&](const char* key, bool& target) {
        if (!doc.contains(key))
            return;
        if (!doc[key].is_boolean())
            Bad(key, "must be true or false");
        target = doc[key].get<bool>();
    };
    flag("echo", c.echo);
    flag("option", c.option88);
    flag("optionSupported", c.option88Supported);
    if (doc.contains("names")) {
        const json& list = doc["names"];
        if (!list.is_array())
            Bad("names", "must be a list");
        if (list.size() > NAME_SLOTS)
            Bad("names", "more than 50 names");
        c.names.clear();
        for (size_t i = 0; i < list.size(); ++i) {
            const std::string path = "names[" + std::to_string(i) + "]";
            std::string name = Text8(list[i], path, NAME_TEXT_SIZE);
            if (name.empty())
                Bad(path, "empty (the list keeps no gaps)");
            c.names.push_back(std::move(name));
        }
    }
    if (doc.contains("series")) {
        const json& list = doc["series"];
        if (!list.is_array())
            Bad("series", "must be a list");
        c.series.clear();
        for (size_t i = 0; i < list.size(); ++i)
            c.series.push_back(Series(list[i], "series[" + std::to_string(i) + "]"));
    }
    if (doc.contains("generate")) {
        const json& g = doc["generate"];
        CheckKeys(g, "generate", {"series", "seed"});
        const size_t n = g.contains("series")
                             ? static_cast<size_t>(Integer(g["series"], "generate.series", 0, 200000))
                             : 0;
        const uint32_t seed = g.contains("seed") ? static_cast<uint32_t>(Integer(
                                                       g["seed"], "generate.seed", 0, 0xFFFFFFFFLL))
                                                 : 1;
        std::vector<SSimSeries> more = GenerateSeries(n, seed);
        c.series.insert(c.series.end(), more.begin(), more.end());
    }
}

std::string Utf8(const std::string& bytes8)
{
    return Platform::ToUtf8(Platform::FromLatin1(bytes8));
}

std::string HexText(uint32_t v)
{
    char s[16];
    std::snprintf(s, sizeof s, "%08X", v);
    return s;
}

} // namespace

bool ContentFromJson(const std::string& text, SSimContent& content, std::string& error)
{
    SSimContent c = content;
    try {
        Parse(json::parse(text), c);
    } catch (const SBad& bad) {
        error = bad.message;
        return false;
    } catch (const json::exception& e) {
        error = e.what();
        return false;
    }
    content = std::move(c);
    return true;
}

bool LoadContentFile(const std::string& path, SSimContent& content, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ContentFromJson(text.str(), content, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string ContentToJson(const SSimContent& c)
{
    json doc;
    const SSimIdentity& id = c.identity;
    doc["identity"] = {{"typeName", Utf8(id.typeName)},
                       {"hardwareRevision", Utf8(id.hardwareRevision)},
                       {"serialNumber", Utf8(id.serialNumber)},
                       {"signature", HexText(id.signature)},
                       {"applicationVersion", Utf8(id.applicationVersion)},
                       {"bootloaderVersion", Utf8(id.bootloaderVersion)},
                       {"hardwareId", HexText(id.hardwareId)}};
    if (c.hasRawInfoBlock) {
        std::string hex;
        for (uint8_t b : c.rawInfoBlock) {
            char s[4];
            std::snprintf(s, sizeof s, "%02X", b);
            hex += s;
        }
        doc["infoBlock"] = hex;
    }
    doc["echo"] = c.echo;
    doc["option"] = c.option88;
    doc["optionSupported"] = c.option88Supported;
    doc["names"] = json::array();
    for (const std::string& n : c.names)
        doc["names"].push_back(Utf8(n));
    doc["series"] = json::array();
    for (const SSimSeries& s : c.series) {
        int y, mo, d, h, mi, se;
        CountToDateTime(s.dateTime, y, mo, d, h, mi, se);
        char when[32];
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, se);
        json impacts = json::array();
        for (const SSimImpact& imp : s.impacts)
            impacts.push_back({imp.value * 0.5, imp.energy / 1000.0, imp.status});
        doc["series"].push_back({{"rollId", Utf8(s.rollId)},
                                 {"counter", s.counter},
                                 {"dateTime", when},
                                 {"lowerLimit", s.lowerLimit * 0.5},
                                 {"upperLimit", s.upperLimit * 0.5},
                                 {"reserved", {s.reserved[0], s.reserved[1]}},
                                 {"impacts", impacts}});
    }
    return doc.dump(2) + "\n";
}

} // namespace Sim
