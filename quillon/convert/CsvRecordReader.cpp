// Line reading, splitting and checking of CSV input.
#include "convert/CsvRecordReader.h"

#include "convert/HandheldText.h"

namespace quillon {

void unquoteField(std::string_view raw, std::string& text) {
    if (!raw.empty() && raw.front() == '"') {
        raw = raw.size() >= 2 ? raw.substr(1, raw.size() - 2) : std::string_view{};
    }
    text.clear();
    for (size_t index = 0; index < raw.size(); ++index) {
        text.push_back(raw[index]);
        if (raw[index] == '"' && index + 1 < raw.size() && raw[index + 1] == '"') {
            ++index;
        }
    }
}

// Read long enough for a UTF-8 line; a line without the mark is then held to the limit of every
// other line, with the same outcome as a line read with that limit.
LineEnd CsvRecordReader::readFirstLine() {
    const LineEnd end =
        input_.readLine(utf8Line_, kMaxUtf8CsvLineBytes + kUtf8ByteOrderMark.size());
    if (utf8Line_.starts_with(kUtf8ByteOrderMark)) {
        utf8_ = true;
        utf8Line_.erase(0, kUtf8ByteOrderMark.size());
        return convertUtf8Line(end);
    }
    line_.swap(utf8Line_);
    if (line_.size() >= kMaxCsvLineChars) {
        return LineEnd::Cut;
    }
    return end;
}

LineEnd CsvRecordReader::readLine() {
    if (!utf8_) {
        return input_.readLine(line_, kMaxCsvLineChars);
    }
    return convertUtf8Line(input_.readLine(utf8Line_, kMaxUtf8CsvLineBytes));
}

LineEnd CsvRecordReader::convertUtf8Line(LineEnd rawEnd) {
    line_ = handheldTextFromUtf8(utf8Line_);
    if (rawEnd == LineEnd::Cut || line_.size() >= kMaxCsvLineChars) {
        return LineEnd::Cut;
    }
    return rawEnd;
}

CsvRead CsvRecordReader::fail(std::string message) {
    errorMessage_ = std::move(message);
    return CsvRead::Error;
}

void CsvRecordReader::splitLine() {
    pieces_.clear();
    size_t start = 0;
    for (size_t index = 0; index < line_.size(); ++index) {
        const char c = line_[index];
        if (c == '"') {
            if (inQuotes_ && index + 1 < line_.size() && line_[index + 1] == '"') {
                ++index;
            } else {
                inQuotes_ = !inQuotes_;
            }
        } else if (c == delimiter_ && !inQuotes_) {
            pieces_.push_back(std::string_view(line_).substr(start, index - start));
            start = index + 1;
        }
    }
    pieces_.push_back(std::string_view(line_).substr(start));
}

CsvRead CsvRecordReader::readFieldNames(std::vector<std::string>& names) {
    const LineEnd end = readFirstLine();
    if (end == LineEnd::EndOfFile && line_.empty()) {
        return fail("Error - The csv file is empty: it has no field names line");
    }
    const size_t lineChars = line_.size() + (end == LineEnd::Feed ? 1 : 0);
    if (end == LineEnd::Cut || lineChars > kMaxFieldNamesLineChars) {
        return fail("Field Names record too long");
    }
    splitLine();
    names.resize(pieces_.size());
    for (size_t field = 0; field < pieces_.size(); ++field) {
        unquoteField(pieces_[field], names[field]);
        if (names[field].size() >= kFieldNameLengthLimit) {
            return fail("Field Name: " + std::to_string(field + 1) + " too long");
        }
    }
    // An open quote here would swallow the delimiters of the first data line.
    if (inQuotes_) {
        return fail("Unclosed quoted string in the field names line");
    }
    return CsvRead::Line;
}

CsvRead CsvRecordReader::readRecord(size_t fieldCount, std::vector<std::string>& fields) {
    const LineEnd end = readLine();
    if (end == LineEnd::EndOfFile && line_.empty()) {
        return CsvRead::End;
    }
    const size_t record = ++recordNumber_;
    if (end == LineEnd::Cut) {
        return fail("CSV line too long (more than 9998 characters) at CSV line #: " +
                    std::to_string(record + 1));
    }
    // A last line without a line feed ends at the end of the file, like any other line.
    splitLine();
    fields.resize(fieldCount);
    for (size_t piece = 0; piece < pieces_.size(); ++piece) {
        if (piece + 1 == pieces_.size() && inQuotes_) {
            return fail("Unclosed quoted string at record:  " + std::to_string(record));
        }
        std::string& text = piece < fieldCount ? fields[piece] : surplusField_;
        unquoteField(pieces_[piece], text);
        if (text.size() >= kFieldTextLengthLimit) {
            return fail("Field data too long at record:  " + std::to_string(record));
        }
    }
    // One piece too many is accepted when it is empty (a trailing delimiter); anything more
    // would be data silently dropped.
    const bool trailingDelimiter = pieces_.size() == fieldCount + 1 && pieces_.back().empty();
    if (pieces_.size() > fieldCount && !trailingDelimiter) {
        return fail("Invalid number of fields (commas) at CSV line #: " +
                    std::to_string(record + 1));
    }
    for (size_t field = pieces_.size(); field < fieldCount; ++field) {
        fields[field].clear();
    }
    return CsvRead::Line;
}

}  // namespace quillon
