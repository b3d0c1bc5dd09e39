#include "support/PreviewPageReader.h"

#include <utility>

namespace skerrit::testing {
namespace {

struct Tag {
    std::string name;
    bool closing = false;
    std::map<std::string, std::string> attributes;
};

// Parses the tag between '<' and '>' (both excluded); attributes are name="value" pairs.
bool parseTag(const std::string& inside, Tag& tag) {
    size_t at = 0;
    if (inside.starts_with("!")) {
        tag.name = "!";
        return true;
    }
    if (inside.starts_with("/")) {
        tag.closing = true;
        at = 1;
    }
    while (at < inside.size() && inside[at] != ' ')
        tag.name += inside[at++];
    while (at < inside.size()) {
        while (at < inside.size() && inside[at] == ' ')
            ++at;
        if (at >= inside.size())
            break;
        std::string name;
        while (at < inside.size() && inside[at] != '=' && inside[at] != ' ')
            name += inside[at++];
        if (at + 1 >= inside.size() || inside[at] != '=' || inside[at + 1] != '"')
            return false;
        const size_t close = inside.find('"', at + 2);
        if (close == std::string::npos)
            return false;
        tag.attributes[name] = inside.substr(at + 2, close - at - 2);
        at = close + 1;
    }
    return !tag.name.empty();
}

std::string attribute(const Tag& tag, const std::string& name) {
    const auto found = tag.attributes.find(name);
    return found == tag.attributes.end() ? std::string() : found->second;
}

bool hasClass(const std::string& classes, const std::string& name) {
    return (" " + classes + " ").find(" " + name + " ") != std::string::npos;
}

class PageWalker {
  public:
    explicit PageWalker(const std::string& html) : html_(html) {}

    PreviewPage walk() {
        size_t at = 0;
        while (at < html_.size() && page_.error.empty()) {
            if (html_[at] == '<') {
                const size_t close = html_.find('>', at);
                if (close == std::string::npos) {
                    failed("a tag runs to the end of the page");
                    break;
                }
                Tag tag;
                if (!parseTag(html_.substr(at + 1, close - at - 1), tag)) {
                    failed("cannot read the tag at byte " + std::to_string(at));
                    break;
                }
                onTag(tag);
                at = close + 1;
            } else {
                const size_t next = html_.find('<', at);
                onText(html_.substr(at, next == std::string::npos ? std::string::npos : next - at));
                at = next == std::string::npos ? html_.size() : next;
            }
        }
        if (page_.error.empty() && !open_.empty())
            failed("<" + open_.back().name + "> is never closed");
        return std::move(page_);
    }

  private:
    void failed(const std::string& what) {
        if (page_.error.empty())
            page_.error = what;
    }

    uint32_t position() const { return static_cast<uint32_t>(page_.characters.size()); }

    bool inside(const std::string& name) const {
        for (const Tag& tag : open_) {
            if (tag.name == name)
                return true;
        }
        return false;
    }

    bool insideLine() const {
        for (const Tag& tag : open_) {
            if (tag.name == "div" && hasClass(attribute(tag, "class"), "l"))
                return true;
        }
        return false;
    }

    void onTag(const Tag& tag) {
        if (tag.name == "!")
            return;
        if (tag.closing) {
            if (open_.empty() || open_.back().name != tag.name) {
                failed("</" + tag.name + "> closes " +
                       (open_.empty() ? std::string("nothing") : "<" + open_.back().name + ">"));
                return;
            }
            const Tag opened = open_.back();
            open_.pop_back();
            if (opened.name == "div" && hasClass(attribute(opened, "class"), "l") &&
                !hasClass(attribute(opened, "class"), "cut")) {
                page_.characters.push_back({"\n", "", -1});
            }
            return;
        }
        if (const auto id = tag.attributes.find("id"); id != tag.attributes.end()) {
            if (!page_.ids.emplace(id->second, position()).second)
                failed("id " + id->second + " appears twice");
        }
        if (const auto href = tag.attributes.find("href"); href != tag.attributes.end())
            page_.hrefs.push_back(href->second);
        const std::string classes = attribute(tag, "class");
        if (tag.name == "hr") {
            page_.rules.push_back({position(), classes, attribute(tag, "style")});
            return;
        }
        if (tag.name == "meta")
            return;
        if (tag.name == "div" && hasClass(classes, "l")) {
            if (insideLine())
                failed("a line inside a line");
            page_.lines.push_back({position(), classes});
        }
        if (tag.name == "span" && classes == "mk")
            page_.markers.push_back({position(), attribute(tag, "data-mk")});
        open_.push_back(tag);
    }

    void onText(const std::string& text) {
        std::string decoded;
        for (size_t at = 0; at < text.size(); ++at) {
            if (text[at] != '&') {
                decoded += text[at];
                continue;
            }
            const size_t end = text.find(';', at);
            const std::string name = end == std::string::npos ? "" : text.substr(at, end - at + 1);
            if (name == "&amp;")
                decoded += '&';
            else if (name == "&lt;")
                decoded += '<';
            else if (name == "&gt;")
                decoded += '>';
            else if (name == "&quot;")
                decoded += '"';
            else
                failed("unknown character reference at " + text.substr(at, 8));
            at = end;
        }
        if (!open_.empty() && open_.back().name == "title")
            page_.title += decoded;
        const bool inLine = inside("main") && insideLine();
        if (!inLine) {
            if (inside("main") && !inside("h2") &&
                decoded.find_first_not_of(" \n") != std::string::npos) {
                failed("text outside a line: " + decoded);
            }
            return;
        }
        std::string spanClasses;
        int64_t target = -1;
        for (const Tag& tag : open_) {
            if (tag.name == "span")
                spanClasses = attribute(tag, "class");
            if (tag.name == "a") {
                const std::string href = attribute(tag, "href");
                target = href.starts_with("#t") ? std::stoll(href.substr(2)) : -2;
            }
        }
        for (size_t at = 0; at < decoded.size();) {
            size_t length = 1;
            const auto lead = static_cast<uint8_t>(decoded[at]);
            if (lead >= 0xF0)
                length = 4;
            else if (lead >= 0xE0)
                length = 3;
            else if (lead >= 0xC0)
                length = 2;
            page_.characters.push_back({decoded.substr(at, length), spanClasses, target});
            at += length;
        }
    }

    const std::string& html_;
    PreviewPage page_;
    std::vector<Tag> open_;
};

}  // namespace

std::string PreviewPage::textAt(uint32_t position, uint32_t count) const {
    std::string text;
    for (uint32_t at = position; at < characters.size() && at - position < count; ++at)
        text += characters[at].utf8;
    return text;
}

PreviewPage readPreviewPage(const std::string& html) {
    return PageWalker(html).walk();
}

}  // namespace skerrit::testing
