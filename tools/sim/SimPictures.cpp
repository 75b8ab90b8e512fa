#include "tools/sim/SimPictures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "assets/Pictures.h"
#include "match/Draw.h"
#include "platform/Png.h"

namespace {

[[noreturn]] void Fail(const std::string &Message) {
    std::fprintf(stderr, "zorbump-sim: %s\n", Message.c_str());
    std::exit(2);
}

// The folder is made when it is missing, as the tool's folders for sounds are.
void CheckFolder(const std::string &Dir, const char *Option) {
    std::error_code Made;
    std::filesystem::create_directories(Dir, Made);
    if (Made) {
        Fail(std::string(Option) + " folder '" + Dir + "' cannot be made: " + Made.message());
    }
    struct stat Info {};
    if (stat(Dir.c_str(), &Info) != 0) {
        Fail(std::string(Option) + " folder '" + Dir + "': " + std::strerror(errno));
    }
    if (!S_ISDIR(Info.st_mode)) {
        Fail(std::string(Option) + " folder '" + Dir + "' is not a folder");
    }
    if (access(Dir.c_str(), W_OK | X_OK) != 0) {
        Fail(std::string(Option) + " folder '" + Dir + "' cannot be written: " + std::strerror(errno));
    }
}

void Write(const Surface &Picture, const std::string &Dir, const std::string &Name) {
    const std::string Path = Dir + "/" + Name;
    std::string Error;
    if (!WritePng(Picture, Path, Error)) {
        Fail("cannot write '" + Path + "': " + Error);
    }
}

} // namespace

SimPictures::SimPictures(const std::string &NewFramesDir, int64_t NewEvery)
    : FramesDir(NewFramesDir), Every(NewEvery) {
    if (FramesDir.empty()) {
        return;
    }
    CheckFolder(FramesDir, "--frames");
    const Typ_Pictures &All = GetPictures();
    Screen = Surface(480, 360);
    Gl_Canvas.Screen = &Screen;
    Gl_Canvas.Pic_Tumbler = &All.Pic_Tumbler;
    Gl_Canvas.Pic_Ball = &All.Pic_Ball;
    Gl_Canvas.Pic_Kouka = &All.Pic_Kouka;
    Gl_Canvas.Pic_Back = &All.Pic_Back;
}

void SimPictures::WriteSheets(const std::string &Dir) {
    CheckFolder(Dir, "--sheets");
    const Typ_Pictures &All = GetPictures();
    const Typ_WindowPictures &First = GetWindowPictures();
    Write(All.Pic_Tumbler, Dir, "Pic_Tumbler.png");
    Write(All.Pic_Ball, Dir, "Pic_Ball.png");
    Write(All.Pic_Kouka, Dir, "Pic_Kouka.png");
    Write(All.Pic_Back, Dir, "Pic_Back.png");
    Write(First.Title, Dir, "title.png");
    for (int Index = 0; Index < 4; ++Index) {
        Write(All.Pic_Kao[Index], Dir, "Pic_Kao" + std::to_string(Index) + ".png");
    }
    Write(First.Icon32, Dir, "icon32.png");
    Write(First.Icon16, Dir, "icon16.png");
    Write(First.Cursor, Dir, "cursor.png");
}

void SimPictures::AfterTick(int64_t Tick) {
    if (FramesDir.empty() || Tick % Every != 0) {
        return;
    }
    char Name[32];
    std::snprintf(Name, sizeof Name, "frame-%06" PRId64 ".png", Tick);
    Write(Screen, FramesDir, Name);
}
