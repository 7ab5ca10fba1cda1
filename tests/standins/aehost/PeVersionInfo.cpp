#include "tests/standins/aehost/PeVersionInfo.h"

#include "tests/standins/aehost/PeResource.h"

#include <algorithm>
#include <stdexcept>

namespace Kelvane::Neon::Test {
namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void malformed(const std::string& why) {
    throw std::runtime_error("malformed version resource: " + why);
}

std::uint32_t u16(const Bytes& bytes, std::size_t at) {
    if (at + 2 > bytes.size()) {
        malformed("a record runs past its end");
    }
    return std::uint32_t(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t u32(const Bytes& bytes, std::size_t at) {
    return u16(bytes, at) | u16(bytes, at + 2) << 16;
}

// Offsets inside the resource are aligned to 4 bytes from its start.
std::size_t align4(std::size_t at) {
    return (at + 3) & ~std::size_t(3);
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xc0 | c >> 6);
        out += char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += char(0xe0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3f));
        out += char(0x80 | (c & 0x3f));
    } else {
        out += char(0xf0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3f));
        out += char(0x80 | (c >> 6 & 0x3f));
        out += char(0x80 | (c & 0x3f));
    }
}

// UTF-16 text from `at` up to its terminating zero, which must come before `end`; `at` is left
// just past the zero.
std::string readText(const Bytes& bytes, std::size_t& at, std::size_t end) {
    std::string text;
    for (;;) {
        if (at + 2 > end) {
            malformed("text without its terminating zero");
        }
        std::uint32_t c = u16(bytes, at);
        at += 2;
        if (c == 0) {
            return text;
        }
        if (c >= 0xd800 && c < 0xdc00 && at + 2 <= end) {
            const std::uint32_t low = u16(bytes, at);
            if (low >= 0xdc00 && low < 0xe000) {
                c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
                at += 2;
            }
        }
        appendUtf8(text, c);
    }
}

// One record of the tree: length, value length, type, key, value, then its children, each
// aligned to 4 bytes.
struct Node {
    std::string key;
    std::size_t value = 0;       // offset of the value
    std::size_t valueLength = 0; // as stored: bytes for binary values, characters for text
    bool text = false;
    std::size_t end = 0;
    std::vector<Node> children;
};

Node readNode(const Bytes& bytes, std::size_t at, std::size_t limit) {
    Node node;
    const std::size_t length = u16(bytes, at);
    if (length < 6 || length > limit - at) {
        malformed("a record's length " + std::to_string(length) + " does not fit its parent");
    }
    node.end = at + length;
    node.valueLength = u16(bytes, at + 2);
    const std::uint32_t type = u16(bytes, at + 4);
    if (type > 1) {
        malformed("a record of unknown type " + std::to_string(type));
    }
    node.text = type == 1;
    std::size_t cursor = at + 6;
    node.key = readText(bytes, cursor, node.end);
    node.value = align4(cursor);
    std::size_t valueBytes = node.valueLength;
    if (node.text && node.value <= node.end) {
        // Counted in characters, though some compilers count bytes: never past the record.
        valueBytes = std::min(2 * valueBytes, node.end - node.value);
    }
    if (valueBytes > 0 && (node.value > node.end || valueBytes > node.end - node.value)) {
        malformed("the value of '" + node.key + "' runs past its record");
    }
    for (std::size_t child = align4(node.value + valueBytes); child < node.end;) {
        node.children.push_back(readNode(bytes, child, node.end));
        child = align4(node.children.back().end);
    }
    return node;
}

std::array<std::uint16_t, 4> version(std::uint32_t high, std::uint32_t low) {
    return {std::uint16_t(high >> 16), std::uint16_t(high), std::uint16_t(low >> 16),
            std::uint16_t(low)};
}

} // namespace

std::optional<VersionInfo> readVersionInfo(const Bytes& image) {
    const std::optional<Bytes> resource = readResource(image, std::uint16_t(16), 1);
    if (!resource) {
        return std::nullopt;
    }
    const Bytes& bytes = *resource;
    const Node root = readNode(bytes, 0, bytes.size());
    if (root.key != "VS_VERSION_INFO") {
        malformed("the root record is '" + root.key + "', not VS_VERSION_INFO");
    }
    // VS_FIXEDFILEINFO: 13 double words, after its signature and structure version.
    if (root.valueLength < 52 || u32(bytes, root.value) != 0xfeef04bd) {
        malformed("no fixed file information");
    }
    const std::size_t fixed = root.value;
    VersionInfo info;
    info.fileVersion = version(u32(bytes, fixed + 8), u32(bytes, fixed + 12));
    info.productVersion = version(u32(bytes, fixed + 16), u32(bytes, fixed + 20));
    info.fileFlags = u32(bytes, fixed + 28) & u32(bytes, fixed + 24);
    info.fileOS = u32(bytes, fixed + 32);
    info.fileType = u32(bytes, fixed + 36);
    for (const Node& block : root.children) {
        if (block.key == "StringFileInfo" && info.tableKey.empty() && !block.children.empty()) {
            const Node& table = block.children.front();
            info.tableKey = table.key;
            for (const Node& string : table.children) {
                // Compilers disagree on whether a string's length counts its zero: read to it.
                std::size_t at = string.value;
                info.strings[string.key] =
                    string.valueLength == 0 ? "" : readText(bytes, at, string.end);
            }
        } else if (block.key == "VarFileInfo") {
            for (const Node& var : block.children) {
                if (var.key != "Translation") {
                    continue;
                }
                for (std::size_t at = var.value; at + 4 <= var.value + var.valueLength; at += 4) {
                    // Stored as language, code page; written as "040904B0".
                    info.translations.push_back(u16(bytes, at) << 16 | u16(bytes, at + 2));
                }
            }
        }
    }
    return info;
}

std::string versionText(const std::array<std::uint16_t, 4>& version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
           std::to_string(version[2]) + "." + std::to_string(version[3]);
}

} // namespace Kelvane::Neon::Test
