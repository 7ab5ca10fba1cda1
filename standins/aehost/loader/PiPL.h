// A module's resource description as the host reads it: a list of properties, each a vendor
// code, a four-character key and its data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

struct PiPLVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
};

struct PiPLProperty {
    std::string vendor;
    std::string key;
    std::vector<std::uint8_t> data;

    std::string asOSType() const;  // the four characters
    std::string asPString() const; // length byte, then the text
    std::string asCString() const; // text up to its terminating zero
    std::uint32_t asLong() const;  // little-endian 32-bit
    // Two little-endian 16-bit words, major first: 2.0 is the bytes 02 00 00 00.
    PiPLVersion asVersion() const;
};

class PiPL {
public:
    // Throws std::runtime_error when the bytes are not a well-formed description.
    static PiPL parse(const std::vector<std::uint8_t>& bytes);

    const std::vector<PiPLProperty>& properties() const { return properties_; }
    const PiPLProperty* find(const std::string& key) const;

private:
    std::vector<PiPLProperty> properties_;
};

} // namespace Kelvane::Neon::Host
