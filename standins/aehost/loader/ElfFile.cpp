#include "standins/aehost/loader/ElfFile.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Kelvane::Neon::Host {
namespace {

template <typename T> T readAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
        throw std::runtime_error("truncated ELF file");
    }
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

std::string stringAt(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) {
    if (offset >= bytes.size()) {
        throw std::runtime_error("ELF string outside the file");
    }
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, bytes.size() - offset));
}

} // namespace

ElfFile::ElfFile(const std::string& path) : path_(path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + path);
    }
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes_.size() < sizeof(Elf64_Ehdr) || std::memcmp(bytes_.data(), ELFMAG, SELFMAG) != 0 ||
        bytes_[EI_CLASS] != ELFCLASS64) {
        throw std::runtime_error(path + " is not a 64-bit shared library");
    }
    const auto header = readAt<Elf64_Ehdr>(bytes_, 0);
    std::vector<Elf64_Shdr> raw;
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        raw.push_back(
            readAt<Elf64_Shdr>(bytes_, header.e_shoff + i * std::uint64_t(header.e_shentsize)));
    }
    if (header.e_shstrndx >= raw.size()) {
        throw std::runtime_error(path + " has no section names");
    }
    const std::uint64_t names = raw[header.e_shstrndx].sh_offset;
    for (const auto& s : raw) {
        sections_.push_back({stringAt(bytes_, names + s.sh_name), s.sh_type, s.sh_offset, s.sh_size,
                             s.sh_entsize, s.sh_link});
    }
}

const ElfFile::Section* ElfFile::find(const std::string& name) const {
    for (const auto& s : sections_) {
        if (s.name == name) {
            return &s;
        }
    }
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> ElfFile::section(const std::string& name) const {
    const Section* s = find(name);
    if (s == nullptr || s->type == SHT_NOBITS) {
        return std::nullopt;
    }
    if (s->offset > bytes_.size() || bytes_.size() - s->offset < s->size) {
        throw std::runtime_error(path_ + ": section " + name + " lies outside the file");
    }
    return std::vector<std::uint8_t>(bytes_.begin() + s->offset,
                                     bytes_.begin() + s->offset + s->size);
}

std::vector<std::string> ElfFile::exportedSymbols() const {
    std::vector<std::string> names;
    const Section* symbols = find(".dynsym");
    if (symbols == nullptr || symbols->link >= sections_.size()) {
        return names;
    }
    const std::uint64_t strings = sections_[symbols->link].offset;
    for (std::uint64_t off = 0; off + sizeof(Elf64_Sym) <= symbols->size;
         off += sizeof(Elf64_Sym)) {
        const auto sym = readAt<Elf64_Sym>(bytes_, symbols->offset + off);
        const unsigned binding = ELF64_ST_BIND(sym.st_info);
        if (sym.st_shndx == SHN_UNDEF || sym.st_name == 0 ||
            (binding != STB_GLOBAL && binding != STB_WEAK)) {
            continue;
        }
        names.push_back(stringAt(bytes_, strings + sym.st_name));
    }
    return names;
}

} // namespace Kelvane::Neon::Host
