#include "standins/aehost/loader/PiPL.h"

#include <cstring>
#include <stdexcept>

namespace Kelvane::Neon::Host {
namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) {
        throw std::runtime_error("PiPL is truncated");
    }
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

// Four-character codes are stored as little-endian 32-bit values: "8BIM" reads "MIB8".
std::string readCode(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::string(bytes.rend() - static_cast<std::ptrdiff_t>(at + 4),
                       bytes.rend() - static_cast<std::ptrdiff_t>(at));
}

} // namespace

std::string PiPLProperty::asOSType() const {
    if (data.size() != 4) {
        throw std::runtime_error("PiPL property " + key + " is not a four-character code");
    }
    return readCode(data, 0);
}

std::string PiPLProperty::asPString() const {
    if (data.empty() || data[0] + 1u > data.size()) {
        throw std::runtime_error("PiPL property " + key + " is not a counted string");
    }
    return std::string(data.begin() + 1, data.begin() + 1 + data[0]);
}

std::string PiPLProperty::asCString() const {
    const char* text = reinterpret_cast<const char*>(data.data());
    const std::size_t length = strnlen(text, data.size());
    if (length == data.size()) {
        throw std::runtime_error("PiPL property " + key + " is not a terminated string");
    }
    return std::string(text, length);
}

std::uint32_t PiPLProperty::asLong() const {
    if (data.size() != 4) {
        throw std::runtime_error("PiPL property " + key + " is not a 32-bit value");
    }
    return read32(data, 0);
}

PiPLVersion PiPLProperty::asVersion() const {
    if (data.size() != 4) {
        throw std::runtime_error("PiPL property " + key + " is not a version");
    }
    return {static_cast<std::uint16_t>(data[0] | data[1] << 8),
            static_cast<std::uint16_t>(data[2] | data[3] << 8)};
}

PiPL PiPL::parse(const std::vector<std::uint8_t>& bytes) {
    PiPL pipl;
    if (bytes.size() < 2 || (bytes[0] | bytes[1] << 8) != 1) {
        throw std::runtime_error("PiPL does not start with its version word 1");
    }
    const std::uint32_t count = read32(bytes, 6);
    std::size_t at = 10;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 16 > bytes.size()) {
            throw std::runtime_error("PiPL is truncated");
        }
        PiPLProperty property;
        property.vendor = readCode(bytes, at);
        property.key = readCode(bytes, at + 4);
        const std::uint32_t length = read32(bytes, at + 12);
        at += 16;
        if (length > bytes.size() - at) {
            throw std::runtime_error("PiPL property " + property.key + " is truncated");
        }
        property.data.assign(bytes.begin() + at, bytes.begin() + at + length);
        at += (length + 3) / 4 * 4;
        pipl.properties_.push_back(std::move(property));
    }
    return pipl;
}

const PiPLProperty* PiPL::find(const std::string& key) const {
    for (const auto& p : properties_) {
        if (p.key == key) {
            return &p;
        }
    }
    return nullptr;
}

} // namespace Kelvane::Neon::Host
