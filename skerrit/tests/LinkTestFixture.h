// A small stand-in for the page loop, used by the queue, anchor and link tests: a site of
// in-memory pages, each a text length with anchors and links at offsets inside it, converted
// breadth first through the real queue, anchor and link operations over in-memory streams.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "htmldoc/AnchorTable.h"
#include "htmldoc/DocumentRecords.h"
#include "htmldoc/LinkRecorder.h"
#include "htmldoc/LinkResolution.h"
#include "htmldoc/PageQueue.h"
#include "htmldoc/PathRules.h"
#include "support/MemoryCallbacks.h"

namespace skerrit::testing {

struct FakeLink {
    std::string href;
    uint32_t start;  // offsets in the page's text
    uint32_t end;
};

struct FakePage {
    uint32_t textLength = 100;
    std::vector<std::pair<std::string, uint32_t>> anchors;  // name, offset
    std::vector<FakeLink> links;
};

// A link as it ends up in the link stream, in stream order.
struct StoredLink {
    uint32_t start;
    uint32_t end;
    uint32_t target;
    bool resolved;
    std::string targetName;
    std::string fragment;
};

class LinkFixture {
  public:
    // keepPageTable: the page table is kept from page to page in a block of the fixture's, as the
    // HTML conversion keeps it; otherwise each page builds its own.
    explicit LinkFixture(bool keepPageTable = false) {
        queueStream = callbacks().createTempFile(callbacks().context);
        linkStream = callbacks().createTempFile(callbacks().context);
        if (keepPageTable) {
            keptPageTable.resize(kPageTableCapacity);
            state.pageTable = keptPageTable.data();
        }
    }
    ~LinkFixture() {
        callbacks().closeFile(callbacks().context, linkStream);
        callbacks().closeFile(callbacks().context, queueStream);
    }

    ConverterCallbacks& callbacks() { return memory.table(); }
    LinkStore store() { return LinkStore{&memory.table(), queueStream, linkStream, &state}; }

    // Pages are found without regard to case, as on the file systems the names come from.
    const FakePage* open(const std::string& name) const {
        for (const auto& [pageName, page] : site) {
            if (equalFolded(pageName, name))
                return &page;
        }
        return nullptr;
    }

    // Runs the loop; answers 1, or 0 at the first failing operation. converted lists the pages
    // in the order they were converted, with their start positions.
    int convert(const std::string& startName, int32_t maxLinkDepth) {
        const LinkStore links = store();
        if (enqueuePage(links, 0, startName.c_str()) != 1)
            return 0;
        uint32_t cursor = kNoneValue;
        for (int iteration = 0; iteration < 32000; ++iteration) {
            uint16_t depth = 0;
            char name[kPageNameBufferSize];
            if (nextPage(links, cursor, depth, name, sizeof name) != 1)
                return 0;
            if (cursor == kNoneValue)
                break;
            if (maxLinkDepth >= 0 && depth > maxLinkDepth)
                break;
            const FakePage* page = open(name);
            if (page == nullptr)
                continue;
            converted.emplace_back(name, textPos);
            if (beginPageLinks(links, cursor, textPos) != 1)
                return 0;
            if (!parse(*page, name, depth))
                return 0;
            textPos += page->textLength;
            if (endPageLinks(links) != 1 || resolveLocalLinks(links) != 1 ||
                queueLinkedPages(links, depth) != 1) {
                return 0;
            }
        }
        return resolveAllLinks(links);
    }

    std::vector<StoredLink> storedLinks() {
        std::vector<StoredLink> result;
        const Bytes& bytes = streamBytes(linkStream);
        size_t offset = 0;
        while (offset + LinkRecord::kSize <= bytes.size()) {
            const LinkRecord record = decodeLinkRecord(bytes.data() + offset);
            const char* names = reinterpret_cast<const char*>(bytes.data() + offset + 32);
            result.push_back({record.start, record.end, record.target, record.resolved(),
                              std::string(names, record.targetLength),
                              std::string(names + record.targetLength, record.fragmentLength)});
            offset = record.nextRecordOffset(static_cast<uint32_t>(offset));
        }
        return result;
    }

    // Names of the queue in queue order.
    std::vector<std::string> queuedNames() {
        std::vector<std::string> names;
        const Bytes& bytes = streamBytes(queueStream);
        uint32_t pageRef = state.pageCount > 0 ? 0 : kNoneValue;
        while (pageRef != kNoneValue) {
            const PageRecord record = decodePageRecord(bytes.data() + pageRef);
            names.emplace_back(reinterpret_cast<const char*>(bytes.data() + pageRef + 36),
                               record.nameLength);
            pageRef = record.nextPage;
        }
        return names;
    }

    Bytes streamBytes(FileObject stream) {
        ConverterCallbacks& table = callbacks();
        const uint32_t size = table.seekFile(table.context, stream, 0, kSeekFromEnd);
        Bytes bytes(size);
        table.seekFile(table.context, stream, 0, kSeekFromStart);
        if (size > 0)
            table.readFile(table.context, stream, size, bytes.data());
        return bytes;
    }

    MemoryCallbacks memory;
    FileObject queueStream = nullptr;
    FileObject linkStream = nullptr;
    PageQueueState state;
    std::vector<PageTableEntry> keptPageTable;
    std::map<std::string, FakePage> site;
    std::vector<std::pair<std::string, uint32_t>> converted;
    uint32_t textPos = 0;

  private:
    static bool equalFolded(const std::string& left, const std::string& right) {
        return left.size() == right.size() &&
               std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    }

    // Anchors and links in text order, the way the A handler meets them.
    bool parse(const FakePage& page, const char* name, uint16_t depth) {
        char base[kPathCapacity];
        directoryPart(name, base);
        const CurrentPage current{name, base, depth};
        const LinkStore links = store();
        for (const auto& [anchorName, offset] : page.anchors) {
            uint32_t anchorRef = 0;
            if (addAnchor(links, textPos + offset, anchorName.c_str(), anchorRef) != 1) {
                return false;
            }
        }
        for (const FakeLink& link : page.links) {
            uint32_t linkStart = textPos + link.start;
            // A failed closeLink only loses the link, as in the A handler.
            (void)closeLink(links, current, linkStart, link.href.c_str(), textPos + link.end);
        }
        return true;
    }
};

}  // namespace skerrit::testing
