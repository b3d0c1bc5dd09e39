// Reading and editing the text of a Wine registry file (user.reg): the header line, key sections,
// quoted names and values with their escapes. Edits change one value line and keep every other
// byte of the file as it was, so that Wine reads back exactly what it wrote plus that one value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hollin {

enum class RegistryValueKind { text, expandableText, number, other };

struct RegistryValue {
    std::string name;  // 8-bit; empty for the key's default value
    RegistryValueKind kind = RegistryValueKind::other;
    std::string text;  // text kinds: the decoded characters, NULs included, without the final NUL
    std::size_t lineBegin = 0;  // byte range of the value in the file, continuation lines
    std::size_t lineEnd = 0;    // included, its last line break excluded
};

struct RegistrySection {
    std::string path;            // 8-bit, single backslashes, relative to the file's root key
    std::string lineBreak;       // "\n" or "\r\n", as the section's header line ends
    std::size_t contentEnd = 0;  // just after the section's last non-blank line and its line break
    std::vector<RegistryValue> values;
};

class WineRegistryText {
  public:
    // False when the text does not start with the line Wine requires of its registry files.
    [[nodiscard]] bool parse(std::string text);

    // A key exists when it has a section of its own or when a section lies below it: Wine does
    // not write keys that hold nothing but subkeys. The empty path is the root and always exists.
    [[nodiscard]] bool keyExists(std::string_view path) const;
    // The value as Wine loads it: the last of that name in the key's sections.
    [[nodiscard]] const RegistryValue* findValue(std::string_view path,
                                                 std::string_view valueName) const;

    // The whole file with the value set to a 32-bit number, replacing any value of that name;
    // nothing when the key does not exist. A key that exists only through its subkeys gets a new
    // section at the end, stamped with `unixTime`.
    [[nodiscard]] std::optional<std::string> withNumber(std::string_view path,
                                                        std::string_view valueName,
                                                        std::uint32_t value,
                                                        std::int64_t unixTime) const;

    [[nodiscard]] const std::vector<RegistrySection>& sections() const { return sections_; }

  private:
    [[nodiscard]] const RegistrySection* findSection(std::string_view path) const;

    std::string text_;
    std::vector<RegistrySection> sections_;
};

}  // namespace hollin
