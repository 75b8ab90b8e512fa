// zorbump-icon: writes the game's icon as a Windows .ico file, drawn from the game's own icon shapes
// at each size Windows shows (title bar, task bar, Explorer's views). Run at build time, on the
// build machine, for the Windows executables' resources.
//
//   zorbump-icon OUTPUT.ico [SIZE...]
//
// Without sizes, every size Windows shows; the browser's page takes one small one.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "assets/Sheets.h"
#include "tools/icon/Ico.h"

int main(int argc, char **argv) {
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
