// SPDX-License-Identifier: GPL-3.0-or-later
// The text form of the registry store: reading regedit files (UTF-16 with a
// byte-order mark, UTF-8, or an old 8-bit "REGEDIT4" file) and writing them
// as regedit itself does (UTF-16LE with a byte-order mark, CR LF).
#include "platform/RegistryDocument.h"

#include "platform/Text.h"

namespace Platform {

namespace {

const std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
const std::u16string_view kHeader4 = u"REGEDIT4";

// The roots a section may start with (regedit refuses others).
bool IsKnownRoot(std::u16string_view path)
{
    const std::u16string_view root = path.substr(0, path.find(u'\\'));
    for (std::u16string_view known : {u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_CLASSES_ROOT", u"HKEY_USERS",
                                      u"HKEY_CURRENT_CONFIG"}) {
        if (EqualsNoCase(root, known))
            return true;
    }
    return false;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
bool ParseHexNumber(std::u16string_view s, size_t maxDigits, uint32_t& value)
{
    if (s.empty() || s.size() > maxDigits)
        return false;
    value = 0;
    for (char16_t c : s) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<uint32_t>(d);
    }
    return true;
}

// "01,02,ff" (blanks allowed around the bytes, one trailing comma allowed).
bool ParseHexBytes(std::u16string_view s, std::vector<uint8_t>& out)
{
    out.clear();
    s = Trim(s);
    if (s.empty())
        return true;
    if (s.back() == u',')
        s.remove_suffix(1);
    size_t pos = 0;
    while (true) {
        const size_t comma = s.find(u',', pos);
        const std::u16string_view token =
            Trim(s.substr(pos, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - pos));
        uint32_t b = 0;
        if (!ParseHexNumber(token, 2, b))
            return false;
        out.push_back(static_cast<uint8_t>(b));
        if (comma == std::u16string_view::npos)
            return true;
        pos = comma + 1;
    }
}

// The character a backslash escape stands for: regedit's \\ and \", and
// the \n, \r and \0 that Wine's regedit writes; 0xFFFF for any other.
char16_t Unescape(char16_t c)
{
    switch (c) {
    case u'\\':
    case u'"':
        return c;
    case u'n':
        return u'\n';
    case u'r':
        return u'\r';
    case u'0':
        return u'\0';
    default:
        return 0xFFFF;
    }
}

// Reads a quoted text at s[pos] == '"' with the escapes of Unescape; other
// backslashes stand for themselves.  On success `pos` is past the closing quote.
bool ReadQuoted(std::u16string_view s, size_t& pos, std::u16string& out)
{
    out.clear();
    ++pos;
    while (pos < s.size()) {
        const char16_t c = s[pos];
        const char16_t escaped = c == u'\\' && pos + 1 < s.size() ? Unescape(s[pos + 1]) : 0xFFFF;
        if (escaped != 0xFFFF) {
            out += escaped;
            pos += 2;
        } else if (c == u'"') {
            ++pos;
            return true;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

std::u16string Quote(std::u16string_view s)
{
    std::u16string out;
    out.reserve(s.size() + 2);
    out += u'"';
    for (char16_t c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

std::vector<uint8_t> StringData(std::u16string_view text)
{
    std::vector<uint8_t> data;
    data.reserve(text.size() * 2 + 2);
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c & 0xFF));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// The text of REG_SZ data when the quoted form carries it unchanged.
bool QuotableString(const std::vector<uint8_t>& data, std::u16string& text)
{
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    text.clear();
    const size_t count = data.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (i + 1 == count)
            return c == 0 && RegNameIsStorable(text);
        if (c == 0 || c == u'\r' || c == u'\n')
            return false;
        text += c;
    }
    return false;
}

bool IsStrictUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        size_t len = 0;
        char32_t v = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            v = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            v = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            v = b & 0x07;
        } else {
            return false;
        }
        if (len > s.size() - i)
            return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80)
                return false;
            v = (v << 6) | (cb & 0x3F);
        }
        if ((len == 3 && (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF))) || (len == 4 && (v < 0x10000 || v > 0x10FFFF)))
            return false;
        i += len;
    }
    return true;
}

bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::u16string& text)
{
    if (bytes.size() % 2 != 0)
        return false;
    text.clear();
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const unsigned lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
        const unsigned hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
        text += static_cast<char16_t>(lo | (hi << 8));
    }
    return true;
}

// The file's text.  UTF-8 must be well formed: a file that is not is left
// alone rather than rewritten with replacement characters.  An old
// "REGEDIT4" file in an 8-bit code page is read as Latin-1.
bool DecodeFile(std::string_view bytes, std::u16string& text)
{
    const auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false, text);
    if (starts("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true, text);
    if (starts("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (IsStrictUtf8(bytes)) {
        text = FromUtf8(bytes);
        return true;
    }
    if (bytes.substr(0, kHeader4.size()) == "REGEDIT4") {
        text = FromLatin1(bytes);
        return true;
    }
    return false;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(u'\n', pos);
        if (end == std::u16string_view::npos)
            end = text.size();
        std::u16string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

std::u16string HexText(uint32_t value, int width)
{
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(out.size()) < width)
        out.insert(out.begin(), u'0');
    return out;
}

// `prefix` followed by the bytes, wrapped like regedit does (lines of about
// 80 characters, continued with a backslash, next line indented).
std::u16string HexLines(std::u16string prefix, const std::vector<uint8_t>& data)
{
    std::u16string out;
    std::u16string line = std::move(prefix);
    bool tokenOnLine = false;
    for (size_t i = 0; i < data.size(); ++i) {
        std::u16string token = HexText(data[i], 2);
        if (i + 1 < data.size())
            token += u',';
        if (tokenOnLine && line.size() + token.size() > 78) {
            out += line;
            out += u"\\\r\n";
            line = u"  ";
        }
        line += token;
        tokenOnLine = true;
    }
    out += line;
    out += u"\r\n";
    return out;
}

std::u16string ValueLine(const RegValue& v)
{
    std::u16string line = v.name.empty() ? std::u16string(u"@") : Quote(v.name);
    line += u'=';
    std::u16string text;
    if (v.type == REG_SZ && QuotableString(v.data, text))
        return line + Quote(text) + u"\r\n";
    if (v.type == REG_DWORD && v.data.size() == 4) {
        const uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<uint32_t>(v.data[3]) << 24);
        return line + u"dword:" + HexText(d, 8) + u"\r\n";
    }
    if (v.type == REG_BINARY)
        return HexLines(line + u"hex:", v.data);
    return HexLines(line + u"hex(" + HexText(v.type, 1) + u"):", v.data);
}

} // namespace

bool CRegDocument::Parse(std::string_view bytes)
{
    m_root = Key();
    m_keyCount = 0;
    std::u16string text;
    if (!DecodeFile(bytes, text) || text.find(u'\0') != std::u16string::npos || !ParseText(text)) {
        m_root = Key();
        m_keyCount = 0;
        return false;
    }
    return true;
}

bool CRegDocument::ParseText(std::u16string_view text)
{
    const std::vector<std::u16string_view> lines = SplitLines(text);
    size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty())
        ++i;
    if (i == lines.size())
        return true;   // blank file: an empty registry
    const std::u16string_view header = Trim(lines[i]);
    if (!EqualsNoCase(header, kHeader5) && !EqualsNoCase(header, kHeader4))
        return false;

    // The current section's key, or none (before the first section and
    // inside a "[-key]" deletion section, whose values are ignored).
    Key* section = nullptr;
    bool inDeletedSection = false;
    for (++i; i < lines.size(); ++i) {
        std::u16string_view line = Trim(lines[i]);
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            if (line.back() != u']' || line.size() < 3)
                return false;
            std::u16string_view inner = line.substr(1, line.size() - 2);
            inDeletedSection = inner.front() == u'-';
            if (inDeletedSection)
                inner.remove_prefix(1);
            const std::vector<std::u16string> names = PathNames(inner);
            if (names.empty() || names.size() > kMaxDepth || !IsKnownRoot(names[0]))
                return false;
            for (const std::u16string& name : names) {
                if (name.size() > kMaxKeyName || !RegNameIsStorable(name))
                    return false;
            }
            section = nullptr;
            if (inDeletedSection) {
                DeleteKey(inner, true);
                continue;
            }
            section = EnsureKey(names, nullptr);
            if (section == nullptr)
                return false;   // more keys than a settings file holds
            continue;
        }
        if (line.front() != u'"' && line.front() != u'@')
            return false;
        if (section == nullptr && !inDeletedSection)
            return false;   // a value before any key

        RegValue value;
        size_t pos = 0;
        if (line.front() == u'@') {
            pos = 1;
        } else if (!ReadQuoted(line, pos, value.name) || !RegNameIsStorable(value.name)) {
            return false;
        }
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != u'=')
            return false;
        ++pos;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        const std::u16string_view data = line.substr(pos);

        if (!data.empty() && data.front() == u'"') {
            std::u16string str;
            size_t p = 0;
            if (!ReadQuoted(data, p, str) || p != data.size())
                return false;
            value.type = REG_SZ;
            value.data = StringData(str);
        } else if (data == u"-") {
            if (section != nullptr)
                DeleteValueIn(*section, value.name);
            continue;
        } else if (StartsWithNoCase(data, u"dword:")) {
            uint32_t d = 0;
            if (!ParseHexNumber(data.substr(6), 8, d))
                return false;
            value.type = REG_DWORD;
            value.data = {static_cast<uint8_t>(d), static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d >> 16),
                          static_cast<uint8_t>(d >> 24)};
        } else if (StartsWithNoCase(data, u"hex")) {
            std::u16string_view rest = data.substr(3);
            value.type = REG_BINARY;
            if (!rest.empty() && rest.front() == u'(') {
                const size_t close = rest.find(u')');
                if (close == std::u16string_view::npos || !ParseHexNumber(rest.substr(1, close - 1), 8, value.type))
                    return false;
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest.front() != u':')
                return false;
            // Byte lists run on over lines that end with a backslash.
            std::u16string list(rest.substr(1));
            while (!list.empty() && list.back() == u'\\') {
                list.pop_back();
                if (i + 1 >= lines.size())
                    break;
                list += Trim(lines[++i]);
            }
            if (!ParseHexBytes(list, value.data))
                return false;
        } else {
            return false;
        }
        if (section != nullptr)
            SetValueIn(*section, std::move(value));
    }
    return true;
}

std::string CRegDocument::Serialize() const
{
    std::u16string out(kHeader5);
    out += u"\r\n\r\n";
    // Keys in path order, each before its subkeys: a walk with an explicit
    // stack of (key, next child) and the spelled path so far.
    struct Frame {
        const Key* key;
        std::map<std::u16string, std::unique_ptr<Key>>::const_iterator next;
        size_t pathLength;
    };
    std::u16string path;
    std::vector<Frame> stack;
    stack.push_back({&m_root, m_root.children.begin(), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.key->children.end()) {
            stack.pop_back();
            continue;
        }
        const Key& key = *(top.next++)->second;
        path.resize(top.pathLength);
        if (!path.empty())
            path += u'\\';
        path += key.name;
        // A key without values whose subkeys are written is implied by them.
        if (!key.values.empty() || key.children.empty()) {
            out += u'[';
            out += path;
            out += u"]\r\n";
            for (const RegValue& v : key.values)
                out += ValueLine(v);
            out += u"\r\n";
        }
        stack.push_back({&key, key.children.begin(), path.size()});
    }
    // UTF-16LE with a byte-order mark, as regedit writes and reads its
    // files on Windows and under Wine.
    std::string bytes(2 + out.size() * 2, '\0');
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    char* p = bytes.data() + 2;
    for (char16_t c : out) {
        *p++ = static_cast<char>(c & 0xFF);
        *p++ = static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace Platform
