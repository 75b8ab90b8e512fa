// zorbump-hicolor: draws the game's icon from its own icon shapes at every size desktops look for
// (16 to 256 pixels), as the PNG files of the hicolor icon theme. Run at build time for the Linux
// install; each size is drawn anew, never a small picture blown up.
//
//   zorbump-hicolor DIR    writes DIR/NxN/apps/zorbump.png for each size
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets/Sheets.h"
#include "platform/Png.h"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorbump-hicolor DIR\n");
        return 2;
    }
    for (int32_t Size : {16, 24, 32, 48, 64, 128, 256}) {
        Surface Image, Mask;
        BuildIcon(Size, Image, Mask);
        const std::string Name = std::to_string(Size) + "x" + std::to_string(Size);
        const std::filesystem::path Folder = std::filesystem::path(argv[1]) / Name / "apps";
        std::error_code Failed;
        std::filesystem::create_directories(Folder, Failed);
        const std::vector<uint8_t> Bytes = EncodePng(Image, &Mask);
        std::ofstream Out(Folder / "zorbump.png", std::ios::binary);
        Out.write(reinterpret_cast<const char *>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
        Out.close();
        if (!Out) {
            std::fprintf(stderr, "zorbump-hicolor: cannot write '%s'\n",
                         (Folder / "zorbump.png").string().c_str());
            return 1;
        }
    }
    return 0;
}
