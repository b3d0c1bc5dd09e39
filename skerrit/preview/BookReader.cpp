#include "preview/BookReader.h"

#include <cstring>
#include <string>

#include "preview/DocBookReader.h"
#include "preview/SectionGroupReader.h"
#include "preview/TextPartReader.h"

namespace skerrit::preview {
namespace {

bool isFourCharacters(const std::array<char, 5>& field, const char* expected) {
    return std::memcmp(field.data(), expected, 4) == 0;
}

// Printable type and creator for the message: other bytes as '?'.
std::string shownCode(const std::array<char, 5>& field) {
    std::string shown;
    for (size_t index = 0; index < 4; ++index) {
        const auto c = static_cast<unsigned char>(field[index]);
        shown += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    return shown;
}

}  // namespace

bool readBook(ByteSpan file, Book& book, ReadFailure& failure) {
    book = Book{};
    book.fileSize = file.size();
    PalmContainer container;
    if (!readPalmContainer(file, container, failure))
        return false;
    book.header = container.header;
    if (isFourCharacters(container.header.creator, kDocCreator.data()))
        return readDocBook(container, book, failure);
    if (!isFourCharacters(container.header.type, kVaDoCode.data()) ||
        !isFourCharacters(container.header.creator, kVaDoCode.data())) {
        return fail(failure, kWholeFile,
                    "not a VaDo or Doc database (type " + shownCode(container.header.type) +
                        ", creator " + shownCode(container.header.creator) + ")");
    }
    book.kind = BookKind::kVaDo;
    return readTextPart(container, book, failure) && readSectionGroups(container, book, failure);
}

}  // namespace skerrit::preview
