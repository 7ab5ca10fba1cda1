// zarvo_editor_files DIR: writes the editors' descriptions of the filter under DIR, laid out as
// they are installed (share/kdenlive/effects/, share/shotcut/qml/filters/zarvo_neon/).
// zarvo_editor_files --markdown: prints the parameter table the README shows.

#include "apps/frei0r/EditorFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

bool write(const std::filesystem::path& path, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const auto partial = path.string() + ".tmp";
    {
        std::ofstream out(partial, std::ios::binary);
        out << text;
        out.close();
        if (!out) {
            std::cerr << "zarvo_editor_files: cannot write " << partial << "\n";
            return false;
        }
    }
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::cerr << "zarvo_editor_files: cannot write " << path << ": " << error.message() << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zarvo_editor_files DIR | --markdown\n";
        return 2;
    }
    const Kelvane::Neon::Apps::FilterParams params;
    if (std::string(argv[1]) == "--markdown") {
        std::cout << Kelvane::Neon::Apps::markdownTable(params);
        return std::cout.flush() ? 0 : 1;
    }
    const std::filesystem::path dir = argv[1];
    const auto shotcut = dir / "share/shotcut/qml/filters/zarvo_neon";
    const bool ok = write(dir / "share/kdenlive/effects/frei0r_zarvo_neon.xml",
                          Kelvane::Neon::Apps::kdenliveEffect(params)) &&
                    write(shotcut / "meta.qml", Kelvane::Neon::Apps::shotcutMeta(params)) &&
                    write(shotcut / "ui.qml", Kelvane::Neon::Apps::shotcutUi(params));
    return ok ? 0 : 1;
}
