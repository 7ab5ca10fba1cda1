#include "tests/standins/aehost/PeResource.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace Kelvane::Neon::Test {
namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void malformed(const std::string& why) {
    throw std::runtime_error("not a well-formed PE file: " + why);
}

std::uint32_t read(const Bytes& bytes, std::uint64_t at, unsigned size) {
    if (at > bytes.size() || bytes.size() - at < size) {
        malformed("a record runs past the end of the file");
    }
    std::uint32_t value = 0;
    for (unsigned i = size; i-- > 0;) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

std::uint32_t u16(const Bytes& bytes, std::uint64_t at) {
    return read(bytes, at, 2);
}
std::uint32_t u32(const Bytes& bytes, std::uint64_t at) {
    return read(bytes, at, 4);
}

struct Section {
    std::uint32_t address, virtualSize, rawSize, rawOffset;
};

class Image {
public:
    explicit Image(const Bytes& bytes) : bytes_(bytes) {
        if (bytes.size() < 2 || bytes[0] != 'M' || bytes[1] != 'Z') {
            malformed("no MZ header");
        }
        const std::uint32_t pe = u32(bytes, 0x3c);
        if (u32(bytes, pe) != 0x00004550) { // "PE\0\0"
            malformed("no PE signature");
        }
        const std::uint64_t coff = pe + 4ull;
        const std::uint32_t sectionCount = u16(bytes, coff + 2);
        const std::uint32_t optionalSize = u16(bytes, coff + 16);
        const std::uint64_t optional = coff + 20;
        // Where the data directories and their count sit depends on PE32 or PE32+.
        std::uint64_t directories = 0;
        switch (u16(bytes, optional)) {
        case 0x10b:
            directories = 96;
            break;
        case 0x20b:
            directories = 112;
            break;
        default:
            malformed("unknown optional header");
        }
        // Directory 2 is the resources'; the directory count comes just before the directories.
        if (directories + 3 * 8 <= optionalSize && u32(bytes, optional + directories - 4) > 2) {
            resourceAddress_ = u32(bytes, optional + directories + 16);
        }
        const std::uint64_t table = optional + optionalSize;
        for (std::uint32_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t at = table + 40ull * i;
            sections_.push_back({u32(bytes, at + 12), u32(bytes, at + 8), u32(bytes, at + 16),
                                 u32(bytes, at + 20)});
        }
    }

    // 0 when the module has no resources.
    std::uint32_t resourceAddress() const { return resourceAddress_; }

    // The file offset of `size` bytes at relative virtual address `address`, all of them in one
    // section's data in the file.
    std::uint64_t offsetOf(std::uint64_t address, std::uint64_t size) const {
        for (const Section& s : sections_) {
            const std::uint64_t inFile =
                std::min(s.virtualSize ? s.virtualSize : s.rawSize, s.rawSize);
            if (address >= s.address && address - s.address <= inFile &&
                inFile - (address - s.address) >= size) {
                const std::uint64_t offset = s.rawOffset + (address - s.address);
                if (offset > bytes_.size() || bytes_.size() - offset < size) {
                    malformed("a section runs past the end of the file");
                }
                return offset;
            }
        }
        malformed("address " + std::to_string(address) + " lies in no section's data");
    }

    // The resource tree's offsets count from the resource directory's own address.
    std::uint32_t resource32(std::uint32_t offset) const {
        return u32(bytes_, offsetOf(std::uint64_t(resourceAddress_) + offset, 4));
    }
    std::uint32_t resource16(std::uint32_t offset) const {
        return u16(bytes_, offsetOf(std::uint64_t(resourceAddress_) + offset, 2));
    }

private:
    const Bytes& bytes_;
    std::vector<Section> sections_;
    std::uint32_t resourceAddress_ = 0;
};

constexpr std::uint32_t kHighBit = 0x80000000u;

bool sameName(const Image& image, std::uint32_t offset, const std::string& name) {
    if (image.resource16(offset) != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint32_t c = image.resource16(offset + 2 + 2 * std::uint32_t(i));
        if (c > 0x7f || std::toupper(int(c)) != std::toupper(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

// The target of the first entry of the directory at `directory` that `matches` (given the entry's
// name field), or nullopt. Named entries come first, then those with ids.
template <typename Match>
std::optional<std::uint32_t> findEntry(const Image& image, std::uint32_t directory, Match matches) {
    const std::uint32_t count = image.resource16(directory + 12) + image.resource16(directory + 14);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t entry = directory + 16 + 8 * i;
        if (matches(image.resource32(entry))) {
            return image.resource32(entry + 4);
        }
    }
    return std::nullopt;
}

std::uint32_t subdirectory(std::uint32_t target) {
    if (!(target & kHighBit)) {
        malformed("a resource type or id leads to data, not to a directory");
    }
    return target & ~kHighBit;
}

// The data of the resource whose type entry `isType` picks and whose id is `id`, in its first
// language.
template <typename TypeMatch>
std::optional<Bytes> readResourceOf(const Bytes& bytes, TypeMatch isType, std::uint16_t id) {
    const Image image(bytes);
    if (image.resourceAddress() == 0) {
        return std::nullopt;
    }
    const auto byType =
        findEntry(image, 0, [&](std::uint32_t name) { return isType(image, name); });
    if (!byType) {
        return std::nullopt;
    }
    const auto byId =
        findEntry(image, subdirectory(*byType), [&](std::uint32_t name) { return name == id; });
    if (!byId) {
        return std::nullopt;
    }
    const auto language = findEntry(image, subdirectory(*byId), [](std::uint32_t) { return true; });
    if (!language) {
        return std::nullopt;
    }
    if (*language & kHighBit) {
        malformed("a resource language leads to a directory, not to data");
    }
    // The data entry holds the data's own address (not an offset in the tree) and its size.
    const std::uint32_t address = image.resource32(*language);
    const std::uint32_t size = image.resource32(*language + 4);
    const std::uint64_t offset = image.offsetOf(address, size);
    return Bytes(bytes.begin() + std::ptrdiff_t(offset),
                 bytes.begin() + std::ptrdiff_t(offset + size));
}

} // namespace

std::optional<Bytes> readResource(const Bytes& bytes, const std::string& type, std::uint16_t id) {
    return readResourceOf(
        bytes,
        [&](const Image& image, std::uint32_t name) {
            return (name & kHighBit) && sameName(image, name & ~kHighBit, type);
        },
        id);
}

std::optional<Bytes> readResource(const Bytes& bytes, std::uint16_t type, std::uint16_t id) {
    return readResourceOf(
        bytes, [&](const Image&, std::uint32_t name) { return name == type; }, id);
}

} // namespace Kelvane::Neon::Test
