// zorbump-sim's pictures: frames after every K-th tick, every sheet, and a folder it cannot write.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

int RunSim(const std::string &Args, std::string &Err) {
    const std::string ErrPath =
        std::filesystem::temp_directory_path() / ("zorbump-frames-test-" + std::to_string(getpid()) + ".err");
    const int Status =
        std::system((std::string(ZORBUMP_SIM_PATH) + " " + Args + " >/dev/null 2>" + ErrPath).c_str());
    std::ifstream File(ErrPath);
    Err.assign(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
    std::filesystem::remove(ErrPath);
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// Width and height from a PNG file's header, or 0 x 0 when it is not one.
std::pair<uint32_t, uint32_t> PngSize(const std::filesystem::path &Path) {
    std::ifstream File(Path, std::ios::binary);
    unsigned char Head[24] = {};
    File.read(reinterpret_cast<char *>(Head), sizeof Head);
    if (!File || Head[1] != 'P' || Head[2] != 'N' || Head[3] != 'G') {
        return {0, 0};
    }
    auto Big = [&](int At) {
        return uint32_t(Head[At]) << 24 | uint32_t(Head[At + 1]) << 16 | uint32_t(Head[At + 2]) << 8 |
               Head[At + 3];
    };
    return {Big(16), Big(20)};
}

std::filesystem::path FreshFolder(const std::string &Name) {
    const std::filesystem::path Dir = std::filesystem::temp_directory_path() / Name;
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    return Dir;
}

} // namespace

TEST(FramesTool, WritesTheMatchSurfaceAfterEveryKthTick) {
    const auto Dir = FreshFolder("zorbump-frames-test");
    std::string Err;
    ASSERT_EQ(RunSim("--ticks 25 --frames " + Dir.string() + " --every 10", Err), 0) << Err;
    int Count = 0;
    for (const auto &Entry : std::filesystem::directory_iterator(Dir)) {
        (void)Entry;
        Count++;
    }
    EXPECT_EQ(Count, 2);
    for (const char *Name : {"frame-000010.png", "frame-000020.png"}) {
        EXPECT_EQ(PngSize(Dir / Name), std::make_pair(480u, 360u)) << Name;
    }
    std::filesystem::remove_all(Dir);
}

TEST(FramesTool, WritesEverySheetByItsHoldersName) {
    const auto Dir = FreshFolder("zorbump-sheets-test");
    std::string Err;
    ASSERT_EQ(RunSim("--sheets " + Dir.string(), Err), 0) << Err;
    const struct {
        const char *Name;
        uint32_t Width, Height;
    } Expected[] = {{"Pic_Tumbler.png", 320, 352}, {"Pic_Ball.png", 48, 180}, {"Pic_Kouka.png", 96, 144},
                    {"Pic_Back.png", 480, 360},    {"title.png", 256, 240},   {"Pic_Kao0.png", 64, 60},
                    {"Pic_Kao1.png", 64, 60},      {"Pic_Kao2.png", 64, 60},  {"Pic_Kao3.png", 64, 60},
                    {"icon32.png", 32, 32},        {"icon16.png", 16, 16},    {"cursor.png", 32, 32}};
    for (const auto &E : Expected) {
        EXPECT_EQ(PngSize(Dir / E.Name), std::make_pair(E.Width, E.Height)) << E.Name;
    }
    std::filesystem::remove_all(Dir);
}

TEST(FramesTool, MissingFoldersAreMade) {
    const auto Dir = FreshFolder("zorbump-frames-made");
    std::string Err;
    ASSERT_EQ(
        RunSim("--ticks 2 --frames " + (Dir / "a/b").string() + " --sheets " + (Dir / "c/d").string(), Err),
        0)
        << Err;
    EXPECT_TRUE(std::filesystem::exists(Dir / "a/b/frame-000002.png"));
    EXPECT_TRUE(std::filesystem::exists(Dir / "c/d/Pic_Ball.png"));
    std::filesystem::remove_all(Dir);
}

TEST(FramesTool, AFolderThatCannotBeWrittenEndsWithStatusTwoAndOneLine) {
    const auto Dir = FreshFolder("zorbump-frames-bad");
    const std::string File = (Dir / "not-a-folder").string();
    std::ofstream(File) << "x";
    for (const std::string &Args : {"--ticks 5 --frames " + File + "/inside", "--sheets " + File}) {
        std::string Err;
        EXPECT_EQ(RunSim(Args, Err), 2) << Args;
        EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
        EXPECT_NE(Err.find(Args.substr(Args.rfind(' ') + 1)), std::string::npos)
            << "names the folder: " << Err;
    }
    std::filesystem::remove_all(Dir);
}
