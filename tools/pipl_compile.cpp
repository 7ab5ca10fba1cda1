// Build tool: turns a PiPL description into its binary form, written as a C++ source that puts
// the bytes in the module's .pipl section, or as a Windows resource script.
//
// Binary layout, as the host reads a Windows resource: u16 1, u32 list version (0), u32 property
// count; then per property: vendor, key, u32 id (0), u32 data length, data padded with zeros to a
// multiple of 4. Every number is little-endian, and so is every four-character code: each is
// stored as the 32-bit value of its characters, so "8BIM" lands in the file as "MIB8". A version
// is two 16-bit words, major then minor: 2.0 is the bytes 02 00 00 00, not one 32-bit value. The
// .pipl section holds the same bytes, so one reader serves both platforms.
//
// Usage: pipl_compile DESCRIPTION.pipl OUTPUT (.cpp or .rc)

#include <cstdint>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void putText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

void putCode(Bytes& out, const std::string& code) {
    out.insert(out.end(), code.rbegin(), code.rend());
}

std::uint32_t parseLong(const std::string& text) {
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == '-' || value > 0xffffffffUL) {
        throw std::runtime_error("not a 32-bit number: " + text);
    }
    return static_cast<std::uint32_t>(value);
}

Bytes encodeValue(const std::string& type, const std::string& rest) {
    Bytes data;
    if (type == "ostype") {
        if (rest.size() != 4) {
            throw std::runtime_error("an ostype has 4 characters: " + rest);
        }
        putCode(data, rest);
    } else if (type == "pstring") {
        if (rest.size() > 255) {
            throw std::runtime_error("pstring too long: " + rest);
        }
        data.push_back(static_cast<std::uint8_t>(rest.size()));
        putText(data, rest);
    } else if (type == "cstring") {
        putText(data, rest);
        data.push_back(0);
    } else if (type == "version") {
        std::istringstream in(rest);
        std::string major, minor, extra;
        if (!(in >> major >> minor) || (in >> extra)) {
            throw std::runtime_error("a version is 'major minor': " + rest);
        }
        for (const std::string* part : {&major, &minor}) {
            const std::uint32_t value = parseLong(*part);
            if (value > 0xffff) {
                throw std::runtime_error("a version part is a 16-bit number: " + *part);
            }
            put16(data, static_cast<std::uint16_t>(value));
        }
    } else if (type == "long") {
        put32(data, parseLong(rest));
    } else {
        throw std::runtime_error("unknown value type: " + type);
    }
    return data;
}

Bytes compile(std::istream& in) {
    Bytes properties;
    std::uint32_t count = 0;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string key, type, rest;
        fields >> key >> type;
        std::getline(fields >> std::ws, rest);
        try {
            if (key.size() != 4) {
                throw std::runtime_error("a key has 4 characters: " + key);
            }
            Bytes data = encodeValue(type, rest);
            putCode(properties, "8BIM");
            putCode(properties, key);
            put32(properties, 0);
            put32(properties, static_cast<std::uint32_t>(data.size()));
            data.resize((data.size() + 3) / 4 * 4, 0);
            properties.insert(properties.end(), data.begin(), data.end());
            ++count;
        } catch (const std::exception& e) {
            throw std::runtime_error("line " + std::to_string(lineNumber) + ": " + e.what());
        }
    }
    Bytes out{1, 0};
    put32(out, 0);
    put32(out, count);
    out.insert(out.end(), properties.begin(), properties.end());
    return out;
}

void writeSection(std::ostream& out, const Bytes& bytes) {
    out << "// Generated from the PiPL description; do not edit.\n"
        << "__attribute__((section(\".pipl\"), used)) static const unsigned char "
           "kPiPL[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 12 == 0 ? "\n    " : " ") << "0x" << std::hex << std::setw(2)
            << std::setfill('0') << static_cast<int>(bytes[i]) << ",";
    }
    out << "\n};\n";
}

void writeResourceScript(std::ostream& out, Bytes bytes) {
    bytes.resize((bytes.size() + 1) / 2 * 2, 0);
    out << "// Generated from the PiPL description; do not edit.\n"
        << "LANGUAGE 9, 1\n16000 PiPL DISCARDABLE\nBEGIN";
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const int word = bytes[i] | bytes[i + 1] << 8;
        out << (i % 16 == 0 ? "\n    " : " ") << "0x" << std::hex << std::setw(4)
            << std::setfill('0') << word << (i + 2 < bytes.size() ? "," : "");
    }
    out << "\nEND\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: pipl_compile DESCRIPTION.pipl OUTPUT.cpp|OUTPUT.rc\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "pipl_compile: cannot read " << argv[1] << "\n";
        return 1;
    }
    try {
        const Bytes bytes = compile(in);
        const std::string output = argv[2];
        std::ostringstream text;
        if (output.size() > 3 && output.compare(output.size() - 3, 3, ".rc") == 0) {
            writeResourceScript(text, bytes);
        } else {
            writeSection(text, bytes);
        }
        std::ofstream out(output, std::ios::trunc);
        out << text.str();
        if (!out) {
            std::cerr << "pipl_compile: cannot write " << output << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "pipl_compile: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
