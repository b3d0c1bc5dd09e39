// user.reg is line based: a header line, then sections "[Key\\Path] time" each followed by optional
// "#" metadata lines and one line per value ("Name"="text", "Name"=dword:0000002a, @=... for the
// default value, hex data continued over lines ending in a backslash). Strings escape backslash and
// quote, control characters by letter or in octal, and everything beyond ASCII as \x with up to
// four hex digits; files edited by hand may hold raw bytes instead, read as UTF-8. Wine (8.0 at
// least) drops bytes that are not UTF-8, and so does this reader: it reads what Palm Desktop sees.
#include "WineRegistryText.h"

#include <array>
#include <cstdio>

#include "AnsiText.h"

namespace hollin {
namespace {

constexpr std::string_view kHeaderLine = "WINE REGISTRY Version 2";
// Seconds from the FILETIME epoch (1601) to the Unix epoch (1970).
constexpr std::int64_t kFileTimeEpochOffset = 11644473600;
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;

struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;  // before "\r\n" or "\n"
    std::size_t next = 0;        // after the line break, or the end of the text
};

Line lineAt(const std::string& text, std::size_t begin) {
    Line line;
    line.begin = begin;
    const std::size_t newline = text.find('\n', begin);
    line.next = newline == std::string::npos ? text.size() : newline + 1;
    line.contentEnd = newline == std::string::npos ? text.size() : newline;
    if (line.contentEnd > begin && text[line.contentEnd - 1] == '\r') {
        --line.contentEnd;
    }
    return line;
}

std::string_view contentOf(const std::string& text, const Line& line) {
    return std::string_view(text).substr(line.begin, line.contentEnd - line.begin);
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    return static_cast<unsigned>(c - 'A' + 10);
}

// Decodes one raw character at `pos` (not an escape): ASCII as it is, a well-formed UTF-8
// sequence as its code unit(s); any other byte is skipped.
void decodeRawCharacter(std::string_view text, std::size_t& pos, std::u16string& out) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        out.push_back(static_cast<char16_t>(lead));
        ++pos;
        return;
    }
    std::size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    }
    bool wellFormed = length > 0 && pos + length <= text.size();
    for (std::size_t index = 1; wellFormed && index < length; ++index) {
        const auto follower = static_cast<unsigned char>(text[pos + index]);
        wellFormed = (follower & 0xC0u) == 0x80u;
        code = (code << 6) | (follower & 0x3Fu);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    wellFormed =
        wellFormed && code >= smallest && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!wellFormed) {
        ++pos;
        return;
    }
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FFu)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
    pos += length;
}

// Decodes the escape whose backslash is at `pos`.
void decodeEscape(std::string_view text, std::size_t& pos, std::u16string& out) {
    ++pos;
    const char kind = text[pos];
    switch (kind) {
        case 'a':
            out.push_back(u'\a');
            break;
        case 'b':
            out.push_back(u'\b');
            break;
        case 'e':
            out.push_back(char16_t{0x1B});
            break;
        case 'f':
            out.push_back(u'\f');
            break;
        case 'n':
            out.push_back(u'\n');
            break;
        case 'r':
            out.push_back(u'\r');
            break;
        case 't':
            out.push_back(u'\t');
            break;
        case 'v':
            out.push_back(u'\v');
            break;
        case 'x': {
            unsigned unit = 0;
            std::size_t digits = 0;
            while (digits < 4 && pos + 1 < text.size() && isHexDigit(text[pos + 1])) {
                unit = unit * 16 + hexValue(text[++pos]);
                ++digits;
            }
            out.push_back(digits == 0 ? u'x' : static_cast<char16_t>(unit));
            break;
        }
        default:
            if (kind >= '0' && kind <= '7') {
                unsigned unit = static_cast<unsigned>(kind - '0');
                for (int digits = 1; digits < 3 && pos + 1 < text.size() && text[pos + 1] >= '0' &&
                                     text[pos + 1] <= '7';
                     ++digits) {
                    unit = unit * 8 + static_cast<unsigned>(text[++pos] - '0');
                }
                out.push_back(static_cast<char16_t>(unit));
            } else {
                decodeRawCharacter(text, pos, out);
                return;
            }
    }
    ++pos;
}

// Reads characters from `pos` up to the unescaped `terminator` and leaves `pos` after it; false
// when the line ends first.
bool decodeQuoted(std::string_view text, std::size_t& pos, char terminator, std::u16string& out) {
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == terminator) {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            decodeEscape(text, pos, out);
        } else {
            decodeRawCharacter(text, pos, out);
        }
    }
    return false;
}

std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    return pos;
}

// Only hex data is continued over lines, so a continuation line holds hex digits: a line break
// after a stray backslash must not swallow the next value or section.
bool continuesValue(const std::string& text, std::size_t next) {
    const std::size_t first = text.find_first_not_of(" \t", next);
    return first != std::string::npos && isHexDigit(text[first]);
}

bool parseValueLine(std::string_view content, RegistryValue& value) {
    std::size_t pos = 0;
    std::u16string name;
    if (content[0] == '@') {
        pos = 1;
    } else if (!decodeQuoted(content, pos = 1, '"', name)) {
        return false;
    }
    pos = skipBlanks(content, pos);
    if (pos >= content.size() || content[pos] != '=') {
        return false;
    }
    pos = skipBlanks(content, pos + 1);
    const std::string_view data = content.substr(pos);
    value.name = ansiFromUtf16(name);
    std::u16string text;
    std::size_t textStart = 0;
    if (data.starts_with("\"")) {
        value.kind = RegistryValueKind::text;
        textStart = 1;
    } else if (data.starts_with("str(2):\"")) {
        value.kind = RegistryValueKind::expandableText;
        textStart = 8;
    } else {
        value.kind =
            data.starts_with("dword:") ? RegistryValueKind::number : RegistryValueKind::other;
        return true;
    }
    if (!decodeQuoted(data, textStart, '"', text)) {
        return false;
    }
    value.text = ansiFromUtf16(text);
    return true;
}

std::string escapeForFile(std::string_view ansiText, std::string_view alsoEscaped) {
    std::string escaped;
    for (const char16_t unit : utf16FromAnsi(ansiText)) {
        if (unit == u'\\' || unit == u'"' ||
            (unit < 0x80 && alsoEscaped.find(static_cast<char>(unit)) != std::string_view::npos)) {
            escaped.push_back('\\');
            escaped.push_back(static_cast<char>(unit));
        } else if (unit < 0x20 || unit >= 0x7F) {
            std::array<char, 8> digits{};
            std::snprintf(digits.data(), digits.size(), "\\x%04x", static_cast<unsigned>(unit));
            escaped += digits.data();
        } else {
            escaped.push_back(static_cast<char>(unit));
        }
    }
    return escaped;
}

std::string escapeKeyPath(std::string_view path) {
    std::string escaped;
    std::size_t start = 0;
    while (true) {
        const std::size_t separator = path.find('\\', start);
        escaped += escapeForFile(path.substr(start, separator - start), "[]");
        if (separator == std::string_view::npos) {
            return escaped;
        }
        escaped += "\\\\";
        start = separator + 1;
    }
}

std::string numberValueLine(std::string_view valueName, std::uint32_t value) {
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "%08x", static_cast<unsigned>(value));
    // Built by appending: GCC 12 at -O3 warns falsely on chains of + that start with a literal.
    std::string line = "\"";
    line += escapeForFile(valueName, "");
    line += "\"=dword:";
    line += digits.data();
    return line;
}

std::string sectionHeader(std::string_view path, std::int64_t unixTime,
                          std::string_view lineBreak) {
    std::array<char, 24> fileTime{};
    const auto ticks = static_cast<unsigned long long>((unixTime + kFileTimeEpochOffset) *
                                                       kFileTimeUnitsPerSecond);
    std::snprintf(fileTime.data(), fileTime.size(), "%llx", ticks);
    std::string header = "[";
    header += escapeKeyPath(path);
    header += "] ";
    header += std::to_string(unixTime);
    header += lineBreak;
    header += "#time=";
    header += fileTime.data();
    header += lineBreak;
    return header;
}

}  // namespace

bool WineRegistryText::parse(std::string text) {
    text_ = std::move(text);
    sections_.clear();
    Line line = lineAt(text_, 0);
    if (contentOf(text_, line) != kHeaderLine) {
        return false;
    }
    RegistrySection* current = nullptr;
    for (std::size_t begin = line.next; begin < text_.size(); begin = line.next) {
        line = lineAt(text_, begin);
        std::string_view content = contentOf(text_, line);
        const std::size_t indent = skipBlanks(content, 0);
        if (indent == content.size()) {
            continue;
        }
        content.remove_prefix(indent);
        if (content[0] == '[') {
            std::size_t pos = 1;
            std::u16string path;
            current = nullptr;
            if (decodeQuoted(content, pos, ']', path)) {
                RegistrySection& section = sections_.emplace_back();
                section.path = ansiFromUtf16(path);
                section.lineBreak = line.contentEnd < line.next - 1 ? "\r\n" : "\n";
                section.contentEnd = line.next;
                current = &section;
            }
            continue;
        }
        if (content[0] == '"' || content[0] == '@') {
            const std::size_t valueBegin = line.begin + indent;
            while (content.back() == '\\' && continuesValue(text_, line.next)) {
                line = lineAt(text_, line.next);
                content = std::string_view(text_).substr(valueBegin, line.contentEnd - valueBegin);
            }
            RegistryValue value;
            if (current != nullptr &&
                parseValueLine(contentOf(text_, lineAt(text_, valueBegin)), value)) {
                value.lineBegin = valueBegin;
                value.lineEnd = line.contentEnd;
                current->values.push_back(std::move(value));
            }
        }
        if (current != nullptr) {
            current->contentEnd = line.next;
        }
    }
    return true;
}

const RegistrySection* WineRegistryText::findSection(std::string_view path) const {
    for (const RegistrySection& section : sections_) {
        if (equalsIgnoringAsciiCase(section.path, path)) {
            return &section;
        }
    }
    return nullptr;
}

bool WineRegistryText::keyExists(std::string_view path) const {
    if (path.empty()) {
        return true;
    }
    for (const RegistrySection& section : sections_) {
        const std::string_view sectionPath = section.path;
        if (sectionPath.size() >= path.size() &&
            equalsIgnoringAsciiCase(sectionPath.substr(0, path.size()), path) &&
            (sectionPath.size() == path.size() || sectionPath[path.size()] == '\\')) {
            return true;
        }
    }
    return false;
}

const RegistryValue* WineRegistryText::findValue(std::string_view path,
                                                 std::string_view valueName) const {
    // Wine loads a key that appears twice into one key, a later value replacing an earlier one
    // of the same name; the value that counts is the last one.
    const RegistryValue* found = nullptr;
    for (const RegistrySection& section : sections_) {
        if (!equalsIgnoringAsciiCase(section.path, path)) {
            continue;
        }
        for (const RegistryValue& value : section.values) {
            if (equalsIgnoringAsciiCase(value.name, valueName)) {
                found = &value;
            }
        }
    }
    return found;
}

std::optional<std::string> WineRegistryText::withNumber(std::string_view path,
                                                        std::string_view valueName,
                                                        std::uint32_t value,
                                                        std::int64_t unixTime) const {
    const std::string line = numberValueLine(valueName, value);
    if (const RegistryValue* existing = findValue(path, valueName)) {
        return text_.substr(0, existing->lineBegin) + line + text_.substr(existing->lineEnd);
    }
    const bool endsInBreak = !text_.empty() && text_.back() == '\n';
    if (const RegistrySection* section = findSection(path)) {
        const std::size_t at = section->contentEnd;
        const std::string_view before =
            (at == text_.size() && !endsInBreak) ? std::string_view(section->lineBreak) : "";
        return text_.substr(0, at) + std::string(before) + line + section->lineBreak +
               text_.substr(at);
    }
    if (!keyExists(path)) {
        return std::nullopt;
    }
    const std::string lineBreak = sections_.empty() ? "\n" : sections_.front().lineBreak;
    std::string result = text_;
    if (!endsInBreak) {
        result += lineBreak;
    }
    result += lineBreak + sectionHeader(path, unixTime, lineBreak) + line + lineBreak;
    return result;
}

}  // namespace hollin
