#include "exported_symbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace validator {
namespace {

template <typename T>
bool readAt(const std::vector<char>& file, std::size_t offset, T& out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

// Walks the section headers for SHT_DYNSYM and its string table.
template <typename Ehdr, typename Shdr, typename Sym, unsigned char (*Bind)(unsigned char),
          unsigned char (*Visibility)(unsigned char)>
std::optional<std::vector<std::string>> dynamicExports(const std::vector<char>& file, std::string& error) {
    Ehdr header;
    if (!readAt(file, 0, header) || header.e_shentsize != sizeof(Shdr)) {
        error = "unreadable ELF header";
        return std::nullopt;
    }
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Shdr section;
        if (!readAt(file, header.e_shoff + i * sizeof(Shdr), section)) break;
        if (section.sh_type != SHT_DYNSYM || section.sh_entsize != sizeof(Sym)) continue;
        Shdr strings;
        if (!readAt(file, header.e_shoff + section.sh_link * sizeof(Shdr), strings)) break;
        std::vector<std::string> names;
        for (std::size_t at = 0; at + sizeof(Sym) <= section.sh_size; at += sizeof(Sym)) {
            Sym symbol;
            if (!readAt(file, section.sh_offset + at, symbol)) break;
            const unsigned char bind = Bind(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            if (Visibility(symbol.st_other) != STV_DEFAULT && Visibility(symbol.st_other) != STV_PROTECTED) continue;
            const std::size_t nameAt = strings.sh_offset + symbol.st_name;
            if (nameAt >= file.size()) break;
            const char* name = file.data() + nameAt;
            names.emplace_back(name, ::strnlen(name, file.size() - nameAt));
        }
        return names;
    }
    error = "no dynamic symbol table";
    return std::nullopt;
}

unsigned char bind32(unsigned char info) { return ELF32_ST_BIND(info); }
unsigned char bind64(unsigned char info) { return ELF64_ST_BIND(info); }
unsigned char visibility32(unsigned char other) { return ELF32_ST_VISIBILITY(other); }
unsigned char visibility64(unsigned char other) { return ELF64_ST_VISIBILITY(other); }

}  // namespace

std::optional<std::vector<std::string>> exportedSymbols(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) {
        error = path + " is not an ELF file";
        return std::nullopt;
    }
    if (file[EI_CLASS] == ELFCLASS32)
        return dynamicExports<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym, bind32, visibility32>(file, error);
    if (file[EI_CLASS] == ELFCLASS64)
        return dynamicExports<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym, bind64, visibility64>(file, error);
    error = path + " has an unknown ELF class";
    return std::nullopt;
}

}  // namespace validator
