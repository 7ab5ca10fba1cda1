// Checks the PiPL of a built module byte for byte: the Linux module's .pipl section or the
// Windows module's resource "PiPL" 16000. CTest runs it on the Linux module and
// scripts/test-windows.sh on the Windows one, so the two builds answer to the same bytes.
//
// Usage: zarvo_pipl_check MODULE

#include "standins/aehost/loader/ElfFile.h"
#include "tests/standins/aehost/PeResource.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

template <std::size_t N> std::string bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct Part {
    const char* what;
    std::string bytes;
};

// Written out by hand, not by the compiler under test. Each property: vendor "8BIM" and its key
// as little-endian codes ("MIB8", "dnik" for kind), index 0, the data's length, the data padded
// with zeros to 4 bytes. One property a line, its fields apart.
// clang-format off
const Part kExpected[] = {
    {"header (u16 1, u32 0, u32 count 12)", bytes("\x01\0" "\0\0\0\0" "\x0c\0\0\0")},
    {"kind", bytes("MIB8" "dnik" "\0\0\0\0" "\x04\0\0\0" "TKFe")},
    {"name", bytes("MIB8" "eman" "\0\0\0\0" "\x0b\0\0\0" "\x0a" "Zarvo Neon" "\0")},
    {"catg", bytes("MIB8" "gtac" "\0\0\0\0" "\x06\0\0\0" "\x05" "Zarvo" "\0\0")},
    {"8664", bytes("MIB8" "4668" "\0\0\0\0" "\x0f\0\0\0" "EntryPointFunc" "\0" "\0")},
    {"ePVR (2.0)", bytes("MIB8" "RVPe" "\0\0\0\0" "\x04\0\0\0" "\x02\0" "\0\0")},
    {"eSVR (13.14)", bytes("MIB8" "RVSe" "\0\0\0\0" "\x04\0\0\0" "\x0d\0" "\x0e\0")},
    {"eVER (0x00080001)", bytes("MIB8" "REVe" "\0\0\0\0" "\x04\0\0\0" "\x01\0\x08\0")},
    {"eINF (0)", bytes("MIB8" "FNIe" "\0\0\0\0" "\x04\0\0\0" "\0\0\0\0")},
    {"eGLO (0x8000)", bytes("MIB8" "OLGe" "\0\0\0\0" "\x04\0\0\0" "\0\x80\0\0")},
    {"eGL2 (0x8)", bytes("MIB8" "2LGe" "\0\0\0\0" "\x04\0\0\0" "\x08\0\0\0")},
    {"aeFL (8)", bytes("MIB8" "LFea" "\0\0\0\0" "\x04\0\0\0" "\x08\0\0\0")},
    {"eMNA", bytes("MIB8" "ANMe" "\0\0\0\0" "\x0b\0\0\0" "\x0a" "Zarvo_Neon" "\0")},
};
// clang-format on

std::string hex(const std::string& text) {
    std::string out;
    char digits[4];
    for (unsigned char c : text) {
        std::snprintf(digits, sizeof digits, "%02x ", c);
        out += digits;
    }
    return out.empty() ? "(nothing)" : out.substr(0, out.size() - 1);
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot be read");
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::vector<std::uint8_t>> readPiPL(const std::string& path) {
    const std::vector<std::uint8_t> file = readFile(path);
    if (file.size() >= 4 && file[0] == 0x7f && file[1] == 'E' && file[2] == 'L' && file[3] == 'F') {
        return Kelvane::Neon::Host::ElfFile(path).section(".pipl");
    }
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z') {
        return Kelvane::Neon::Test::readResource(file, "PiPL", 16000);
    }
    throw std::runtime_error("neither an ELF nor a PE module");
}

} // namespace

int main(int argc, char** argv) {
    const std::string usage = "usage: zarvo_pipl_check MODULE\n"
                              "Checks the PiPL of a built module (Linux .pipl section or Windows "
                              "resource PiPL 16000) byte for byte.\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    const std::string path = argv[1];
    std::optional<std::vector<std::uint8_t>> pipl;
    try {
        pipl = readPiPL(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvo_pipl_check: %s: %s\n", path.c_str(), e.what());
        return 1;
    }
    if (!pipl) {
        std::fprintf(stderr, "zarvo_pipl_check: %s has no PiPL\n", path.c_str());
        return 1;
    }
    const std::string found(pipl->begin(), pipl->end());
    std::size_t at = 0;
    int wrong = 0;
    for (const Part& part : kExpected) {
        const std::string got = at < found.size() ? found.substr(at, part.bytes.size()) : "";
        if (got != part.bytes) {
            std::fprintf(stderr, "%s: %s at byte %zu:\n  expected %s\n  found    %s\n",
                         path.c_str(), part.what, at, hex(part.bytes).c_str(), hex(got).c_str());
            ++wrong;
        }
        at += part.bytes.size();
    }
    if (found.size() != at) {
        std::fprintf(stderr, "%s: the PiPL is %zu bytes, expected %zu\n", path.c_str(),
                     found.size(), at);
        ++wrong;
    }
    if (wrong > 0) {
        return 1;
    }
    std::printf("%s: PiPL as expected (%zu bytes)\n", path.c_str(), at);
    return 0;
}
