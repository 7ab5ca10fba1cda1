// Prints the version resource of a built Windows file and, given the release version, checks it:
// the fixed and the string versions, product, company, file names and the string table's
// language. scripts/test-windows.sh runs it on ZarvoNeon.aex and zarvo-neon.exe.
//
// Usage: zarvo_version_check FILE [--version X.Y.Z] [--description TEXT]

#include "tests/standins/aehost/PeVersionInfo.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: zarvo_version_check FILE [--version X.Y.Z] [--description TEXT]\n"
    "Prints the version resource of a Windows module or program. With --version, checks it\n"
    "against that release version (file and product versions X.Y.Z.0 and \"X.Y.Z\", product\n"
    "\"Zarvo Neon\", company \"Zarvo\", OriginalFilename FILE's own name, a description);\n"
    "with --description, the description too. Exits 1 naming each field that differs.\n";

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot be read");
    }
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Checker {
public:
    explicit Checker(const std::string& path) : path_(path) {}

    void expect(const std::string& field, const std::string& found, const std::string& wanted) {
        if (found != wanted) {
            std::fprintf(stderr, "%s: %s is '%s', expected '%s'\n", path_.c_str(), field.c_str(),
                         found.c_str(), wanted.c_str());
            ++wrong_;
        }
    }
    int wrong() const { return wrong_; }

private:
    std::string path_;
    int wrong_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    std::string path, version, description;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((arg == "--version" || arg == "--description") && i + 1 < argc) {
            (arg == "--version" ? version : description) = argv[++i];
        } else if (path.empty() && !arg.empty() && arg[0] != '-') {
            path = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (path.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::optional<Kelvane::Neon::Test::VersionInfo> info;
    try {
        info = Kelvane::Neon::Test::readVersionInfo(readFile(path));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarvo_version_check: %s: %s\n", path.c_str(), e.what());
        return 1;
    }
    if (!info) {
        std::fprintf(stderr, "zarvo_version_check: %s has no version resource\n", path.c_str());
        return 1;
    }

    std::printf("%s:\n", path.c_str());
    std::printf("  %-18s %s\n", "file version",
                Kelvane::Neon::Test::versionText(info->fileVersion).c_str());
    std::printf("  %-18s %s\n", "product version",
                Kelvane::Neon::Test::versionText(info->productVersion).c_str());
    std::printf("  %-18s %s\n", "file type",
                info->fileType == 1   ? "application"
                : info->fileType == 2 ? "DLL"
                                      : hex8(info->fileType).c_str());
    std::printf("  %-18s %s\n", "string table", info->tableKey.c_str());
    for (const auto& [name, value] : info->strings) {
        std::printf("  %-18s %s\n", name.c_str(), value.c_str());
    }
    for (std::uint32_t translation : info->translations) {
        std::printf("  %-18s %s\n", "Translation", hex8(translation).c_str());
    }
    if (version.empty() && description.empty()) {
        return 0;
    }

    Checker check(path);
    const auto string = [&](const char* name) {
        const auto found = info->strings.find(name);
        return found == info->strings.end() ? std::string("(missing)") : found->second;
    };
    if (!version.empty()) {
        check.expect("the fixed file version", Kelvane::Neon::Test::versionText(info->fileVersion),
                     version + ".0");
        check.expect("the fixed product version",
                     Kelvane::Neon::Test::versionText(info->productVersion), version + ".0");
        check.expect("FileVersion", string("FileVersion"), version);
        check.expect("ProductVersion", string("ProductVersion"), version);
        check.expect("ProductName", string("ProductName"), "Zarvo Neon");
        check.expect("CompanyName", string("CompanyName"), "Zarvo");
        const std::string name = baseName(path);
        check.expect("OriginalFilename", string("OriginalFilename"), name);
        check.expect("InternalName", string("InternalName"), name.substr(0, name.rfind('.')));
        const std::string copyright = string("LegalCopyright");
        check.expect("LegalCopyright's holder",
                     copyright.find("Zarvo") == std::string::npos ? copyright : "Zarvo", "Zarvo");
        check.expect("the file type", std::to_string(info->fileType),
                     name.size() > 4 && name.substr(name.size() - 4) == ".exe" ? "1" : "2");
        // Windows shows the strings of the table whose language Translation names.
        std::string table = info->tableKey;
        for (char& c : table) {
            c = char(std::toupper(static_cast<unsigned char>(c)));
        }
        check.expect("the string table", table,
                     info->translations.empty() ? "(no Translation)"
                                                : hex8(info->translations.front()));
    }
    if (!description.empty()) {
        check.expect("FileDescription", string("FileDescription"), description);
    } else if (info->strings.count("FileDescription") == 0 ||
               info->strings.at("FileDescription").empty()) {
        check.expect("FileDescription", string("FileDescription"), "(a description)");
    }
    if (check.wrong() > 0) {
        return 1;
    }
    std::printf("%s: version resource as expected\n", path.c_str());
    return 0;
}
