// zorbump-icon: writes the game's icon as a Windows .ico file, drawn from the game's own icon shapes
// at each size Windows shows (title bar, task bar, Explorer's views). Run at build time, on the
// build machine, for the Windows executables' resources.
//
//   zorbump-icon OUTPUT.ico [SIZE...]
//   zorbump-icon --hicolor FOLDER
//
// Without sizes, every size Windows shows; the browser's page takes one small one. With --hicolor,
// the desktop's icon theme folders: FOLDER/NxN/apps/zorbump.png at every size, each drawn at it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/Sheets.h"
#include "platform/Png.h"
#include "tools/icon/Ico.h"

namespace {

int WriteHicolor(const std::string &Folder) {
    for (int32_t Size : {16, 24, 32, 48, 64, 128, 256}) {
        Surface Image, Mask;
        BuildIcon(Size, Image, Mask);
        const std::string Dir = Folder + "/" + std::to_string(Size) + "x" + std::to_string(Size) + "/apps";
        std::error_code Failed;
        std::filesystem::create_directories(Dir, Failed);
        const std::vector<uint8_t> Bytes = EncodePng(Image, &Mask);
        std::ofstream Out(Dir + "/zorbump.png", std::ios::binary);
        Out.write(reinterpret_cast<const char *>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
        Out.close();
        if (Failed || !Out) {
            std::fprintf(stderr, "zorbump-icon: cannot write the icons into '%s'\n", Dir.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::string(argv[1]) == "--hicolor") {
        return WriteHicolor(argv[2]);
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: zorbump-icon OUTPUT.ico [SIZE...]\n");
        return 2;
    }
    std::vector<int32_t> Sizes = {16, 24, 32, 48, 64, 128, 256};
    if (argc > 2) {
        Sizes.clear();
        for (int Arg = 2; Arg < argc; ++Arg) {
            Sizes.push_back(std::atoi(argv[Arg]));
            if (Sizes.back() < 16 || Sizes.back() > 256) {
                std::fprintf(stderr, "zorbump-icon: sizes run from 16 to 256, not %s\n", argv[Arg]);
                return 2;
            }
        }
    }
    std::vector<Surface> Pictures(2 * std::size(Sizes));
    std::vector<IcoImage> Images;
    for (size_t I = 0; I < std::size(Sizes); ++I) {
        BuildIcon(Sizes[I], Pictures[2 * I], Pictures[2 * I + 1]);
        Images.push_back({&Pictures[2 * I], &Pictures[2 * I + 1]});
    }
    const std::vector<uint8_t> Bytes = EncodeIco(Images);
    std::ofstream Out(argv[1], std::ios::binary);
    Out.write(reinterpret_cast<const char *>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    Out.close();
    if (!Out) {
        std::fprintf(stderr, "zorbump-icon: cannot write '%s'\n", argv[1]);
        return 1;
    }
    return 0;
}
