// The rewrite works on the whole text in memory: an information file is a few kilobytes, and
// holding it whole means no line is cut or dropped at a buffer's edge, so gostwick.exe sees all
// of it and reports any limit of its own with its own message.
#include "upgrade/InfoFileRewrite.h"

#include <algorithm>
#include <vector>

namespace quillon {

namespace {

constexpr size_t kKeptHeaderLines = 4;  // types, widths, data screen width, first display column
constexpr size_t kFirstPopupLine = 6;   // counted from 0: old lines 5 and 6 are dropped

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r' && end < text.size()) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = next;
    }
    return lines;
}

void appendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

}  // namespace

std::string rewriteOldInfoText(std::string_view oldText) {
    const std::vector<std::string_view> lines = splitLines(oldText);
    if (lines.size() < kKeptHeaderLines) {
        return std::string(oldText);
    }
    std::string out;
    for (size_t line = 0; line < kKeptHeaderLines; ++line) {
        appendLine(out, lines[line]);
    }
    appendLine(out, "0");  // the AppInfo flag
    // One zero for each space of line 1: the field count when each type is followed by a space.
    const auto zeroCount = static_cast<size_t>(std::count(lines[0].begin(), lines[0].end(), ' '));
    std::string zeros;
    zeros.reserve(2 * zeroCount);
    for (size_t zero = 0; zero < zeroCount; ++zero) {
        zeros.append("0 ");
    }
    appendLine(out, zeros);  // extra data 1
    appendLine(out, zeros);  // extra data 2
    appendLine(out, kEndMarkerHexLine);
    for (size_t line = kFirstPopupLine; line < lines.size(); ++line) {
        appendLine(out, lines[line]);
    }
    return out;
}

}  // namespace quillon
