// Showing the 1x pictures larger: the scale chosen, where the picture goes, whole k x k blocks, and
// clicks mapped back to the drawing area.
#include <gtest/gtest.h>

#include <vector>

#include "game/GameOptions.h"
#include "platform/Scaling.h"

TEST(ScaleChoice, LargestWholeScaleAtWhichTheMatchWindowAndFrameFit) {
    EXPECT_EQ(ScaleThatFits(1920, 1080, 480, 360, 16, 48), 2); // 1032 / 360 = 2.87
    EXPECT_EQ(ScaleThatFits(2560, 1440, 480, 360, 16, 48), 3);
    EXPECT_EQ(ScaleThatFits(3840, 2160, 480, 360, 16, 48), 5);
    EXPECT_EQ(ScaleThatFits(1456, 1128, 480, 360, 16, 48), 3); // exactly fits
    EXPECT_EQ(ScaleThatFits(1455, 1128, 480, 360, 16, 48), 2); // one pixel short
    EXPECT_EQ(ScaleThatFits(320, 240, 480, 360, 16, 48), 1);   // a display smaller than the window
    EXPECT_EQ(ScaleThatFits(0, 0, 480, 360, 16, 48), 1);
}

TEST(PictureLayout, CentredAtTheLargestWholeScaleThatFits) {
    const PictureLayout Exact = FitPicture(1440, 1080, 480, 360);
    EXPECT_EQ(Exact.Scale, 3);
    EXPECT_EQ(Exact.Left, 0);
    EXPECT_EQ(Exact.Top, 0);
    // Full screen on 1920 x 1080: 3x with black bars left and right.
    const PictureLayout Wide = FitPicture(1920, 1080, 480, 360);
    EXPECT_EQ(Wide.Scale, 3);
    EXPECT_EQ(Wide.Left, 240);
    EXPECT_EQ(Wide.Top, 0);
    // A window made a little larger than 2x keeps 2x, centred.
    const PictureLayout Between = FitPicture(1001, 800, 480, 360);
    EXPECT_EQ(Between.Scale, 2);
    EXPECT_EQ(Between.Left, 20);
    EXPECT_EQ(Between.Top, 40);
}

TEST(PictureLayout, AnOutputSmallerThanThePictureShowsItAtOneCroppedNeverSquashed) {
    const PictureLayout Small = FitPicture(200, 100, 480, 360);
    EXPECT_EQ(Small.Scale, 1);
    EXPECT_EQ(Small.Left, -140);
    EXPECT_EQ(Small.Top, -130);
    const PictureLayout Nothing = FitPicture(0, 0, 480, 360);
    EXPECT_EQ(Nothing.Scale, 1);
}

TEST(PictureLayout, PointsOfTheOutputMapBackToTheDrawingArea) {
    const PictureLayout Wide = FitPicture(1920, 1080, 256, 239);
    ASSERT_EQ(Wide.Scale, 4);
    // The first and last output pixels of drawing-area pixel (76, 212), EXIT's top-left corner.
    EXPECT_EQ(Wide.PictureX(Wide.Left + 76 * 4), 76);
    EXPECT_EQ(Wide.PictureX(Wide.Left + 76 * 4 + 3), 76);
    EXPECT_EQ(Wide.PictureY(Wide.Top + 212 * 4 + 3), 212);
    // Left of the picture is outside it, never pixel 0.
    EXPECT_LT(Wide.PictureX(Wide.Left - 1), 0);
}

namespace {

struct Output {
    std::vector<uint32_t> Pixels;
    OutputPixels View;
    Output(int32_t Width, int32_t Height, uint32_t Fill) : Pixels(static_cast<size_t>(Width) * Height, Fill) {
        View.Pixels = reinterpret_cast<uint8_t *>(Pixels.data());
        View.Width = Width;
        View.Height = Height;
        View.Pitch = Width * 4;
    }
    uint32_t At(int32_t X, int32_t Y) const { return Pixels[static_cast<size_t>(Y) * View.Width + X]; }
};

// A picture whose every pixel differs from its neighbours.
Surface Checkered(int32_t Width, int32_t Height) {
    Surface Picture(Width, Height);
    for (int32_t Y = 0; Y < Height; ++Y) {
        for (int32_t X = 0; X < Width; ++X) {
            Picture.Set(X, Y, static_cast<uint32_t>((X * 7 + Y * 131) & 0xFFFFFF) | 0x10);
        }
    }
    return Picture;
}

// The game's pixel (red low) as a screen of red high, green middle, blue low.
uint32_t OnScreen(uint32_t Pixel) {
    return (Pixel & 0xFF) << 16 | (Pixel & 0xFF00) | ((Pixel >> 16) & 0xFF);
}

} // namespace

TEST(ScaledDrawing, EveryPixelBecomesAWholeBlockAndTheSurroundIsBlack) {
    const Surface Picture = Checkered(48, 36);
    Output Screen(200, 120, 0xDEADBEEF);
    const PictureLayout Layout = FitPicture(200, 120, 48, 36);
    ASSERT_EQ(Layout.Scale, 3);
    DrawScaled(Screen.View, Picture, Layout, true);
    for (int32_t Y = 0; Y < 120; ++Y) {
        for (int32_t X = 0; X < 200; ++X) {
            const int32_t PictureX = Layout.PictureX(X), PictureY = Layout.PictureY(Y);
            const bool Inside = PictureX >= 0 && PictureX < 48 && PictureY >= 0 && PictureY < 36;
            const uint32_t Expected = Inside ? OnScreen(Picture.At(PictureX, PictureY)) : 0;
            ASSERT_EQ(Screen.At(X, Y), Expected) << "at " << X << "," << Y;
        }
    }
}

namespace {

// Every output pixel, worked out on its own: the picture's pixel it lies in, or black around it.
void ExpectShownPixelByPixel(const Output &Screen, const Surface &Picture, const PictureLayout &Layout) {
    const OutputPixels &View = Screen.View;
    for (int32_t Y = 0; Y < View.Height; ++Y) {
        for (int32_t X = 0; X < View.Width; ++X) {
            const int32_t PictureX = Layout.PictureX(X), PictureY = Layout.PictureY(Y);
            uint32_t Expected = 0;
            if (PictureX >= 0 && PictureX < Picture.Width && PictureY >= 0 && PictureY < Picture.Height) {
                const uint32_t Pixel = Picture.At(PictureX, PictureY);
                Expected = (Pixel & 0xFF) << View.RedShift | ((Pixel >> 8) & 0xFF) << View.GreenShift |
                           ((Pixel >> 16) & 0xFF) << View.BlueShift;
            }
            ASSERT_EQ(Screen.At(X, Y), Expected) << "at " << X << "," << Y << " scale " << Layout.Scale;
        }
    }
}

} // namespace

TEST(ScaledDrawing, EveryScaleEveryPlaceAndCropMatchesThePixelByPixelPicture) {
    const Surface Picture = Checkered(23, 17);
    // Outputs that fit the picture at 1x to 4x with odd margins, and ones that crop it at 1x from
    // every side, each in both packings of the colours.
    const int32_t Sizes[][2] = {{23, 17}, {24, 18}, {51, 40}, {70, 52}, {97, 70},
                                {10, 30}, {40, 9},  {5, 5},   {1, 1}};
    for (const auto &Size : Sizes) {
        for (const bool RedHigh : {true, false}) {
            Output Screen(Size[0], Size[1], 0xDEADBEEF);
            if (!RedHigh) {
                Screen.View.RedShift = 0;
                Screen.View.BlueShift = 16;
            }
            const PictureLayout Layout = FitPicture(Size[0], Size[1], 23, 17);
            DrawScaled(Screen.View, Picture, Layout, true);
            ExpectShownPixelByPixel(Screen, Picture, Layout);
        }
    }
}

TEST(ScaledDrawing, WithoutBordersOnlyThePictureIsTouched) {
    const Surface Picture = Checkered(10, 10);
    Output Screen(40, 30, 0x123456);
    DrawScaled(Screen.View, Picture, FitPicture(40, 30, 10, 10), false);
    EXPECT_EQ(Screen.At(0, 0), 0x123456u);
    EXPECT_EQ(Screen.At(39, 29), 0x123456u);
    EXPECT_EQ(Screen.At(5, 0), OnScreen(Picture.At(0, 0)));
}

TEST(ScaledDrawing, ASmallerOutputShowsTheMiddleOfThePictureUnscaled) {
    const Surface Picture = Checkered(480, 360);
    Output Screen(100, 50, 0xFFFFFFFF);
    const PictureLayout Layout = FitPicture(100, 50, 480, 360);
    DrawScaled(Screen.View, Picture, Layout, true);
    EXPECT_EQ(Screen.At(0, 0), OnScreen(Picture.At(190, 155)));
    EXPECT_EQ(Screen.At(99, 49), OnScreen(Picture.At(289, 204)));
}

TEST(ScaledDrawing, FollowsTheScreensOwnPlaceOfEachColour) {
    Surface Picture(1, 1, 0x332211); // red 0x11, green 0x22, blue 0x33
    Output Screen(2, 2, 0);
    Screen.View.RedShift = 0;
    Screen.View.GreenShift = 8;
    Screen.View.BlueShift = 16;
    DrawScaled(Screen.View, Picture, FitPicture(2, 2, 1, 1), true);
    EXPECT_EQ(Screen.At(1, 1), 0x332211u);
}

TEST(ChangedBlocks, NothingShownYetIsEverythingAndAnUnchangedFrameIsNothing) {
    const Surface Picture = Checkered(30, 20);
    Surface Shown;
    const std::vector<PictureBlock> First = TakeChanges(Picture, Shown);
    ASSERT_EQ(First.size(), 1u);
    EXPECT_EQ(First[0].Left, 0);
    EXPECT_EQ(First[0].Top, 0);
    EXPECT_EQ(First[0].Right, 30);
    EXPECT_EQ(First[0].Bottom, 20);
    EXPECT_EQ(Shown.Pixels, Picture.Pixels);
    EXPECT_TRUE(TakeChanges(Picture, Shown).empty());
    // A picture of another size (a window shown anew) counts as nothing shown.
    const Surface Larger = Checkered(31, 20);
    EXPECT_EQ(TakeChanges(Larger, Shown).size(), 1u);
    // So does one of as many pixels, turned on its side: its rows are not the rows shown.
    const Surface Turned = Checkered(20, 31);
    const std::vector<PictureBlock> All = TakeChanges(Turned, Shown);
    ASSERT_EQ(All.size(), 1u);
    EXPECT_EQ(All[0].Right, 20);
    EXPECT_EQ(All[0].Bottom, 31);
}

TEST(ChangedBlocks, NearbyRowsJoinAndDistantOnesStayApart) {
    Surface Picture = Checkered(100, 60);
    Surface Shown;
    TakeChanges(Picture, Shown);
    Picture.Set(10, 5, 1);
    Picture.Set(40, 9, 1);  // four rows on: the same block
    Picture.Set(99, 50, 1); // far below: a block of its own, to the right edge
    const std::vector<PictureBlock> Blocks = TakeChanges(Picture, Shown);
    ASSERT_EQ(Blocks.size(), 2u);
    EXPECT_EQ(Blocks[0].Left, 10);
    EXPECT_EQ(Blocks[0].Right, 41);
    EXPECT_EQ(Blocks[0].Top, 5);
    EXPECT_EQ(Blocks[0].Bottom, 10);
    EXPECT_EQ(Blocks[1].Left, 99);
    EXPECT_EQ(Blocks[1].Right, 100);
    EXPECT_EQ(Blocks[1].Top, 50);
    EXPECT_EQ(Blocks[1].Bottom, 51);
    EXPECT_EQ(Shown.Pixels, Picture.Pixels);
}

TEST(ChangedBlocks, DrawingOnlyTheChangesShowsTheNewFrameAtEveryScale) {
    // Frame after frame of scattered changes, drawn block by block over what was shown, must leave
    // the output exactly as drawing each whole frame would, cropped or not.
    const int32_t Sizes[][2] = {{40, 30}, {85, 64}, {130, 95}, {25, 12}};
    for (const auto &Size : Sizes) {
        Surface Picture = Checkered(40, 30);
        Output Screen(Size[0], Size[1], 0xDEADBEEF);
        const PictureLayout Layout = FitPicture(Size[0], Size[1], 40, 30);
        Surface Shown;
        DrawScaled(Screen.View, Picture, Layout, true);
        TakeChanges(Picture, Shown);
        uint32_t Seed = 12345;
        for (int Frame = 0; Frame < 40; ++Frame) {
            for (int Change = 0; Change < Frame % 7; ++Change) {
                Seed = Seed * 1103515245u + 12345u;
                const auto X = static_cast<int32_t>((Seed >> 8) % 40), Y = static_cast<int32_t>((Seed >> 20) % 30);
                Picture.Set(X, Y, Seed & 0xFFFFFF);
            }
            for (const PictureBlock &Block : TakeChanges(Picture, Shown)) {
                DrawScaledBlock(Screen.View, Picture, Layout, Block);
            }
            ExpectShownPixelByPixel(Screen, Picture, Layout);
        }
    }
}

namespace {

bool Parse(std::vector<const char *> Words, GameOptions &Options, std::string &Error) {
    Words.insert(Words.begin(), "zorbump");
    return ParseGameOptions(static_cast<int>(Words.size()), Words.data(), Options, Error);
}

} // namespace

TEST(GameCommandLine, ScaleFullScreenAndHelp) {
    GameOptions Options;
    std::string Error;
    ASSERT_TRUE(Parse({}, Options, Error));
    EXPECT_EQ(Options.Display.Scale, 0);
    EXPECT_FALSE(Options.Display.FullScreen);
    ASSERT_TRUE(Parse({"--scale", "3", "--fullscreen"}, Options, Error));
    EXPECT_EQ(Options.Display.Scale, 3);
    EXPECT_TRUE(Options.Display.FullScreen);
    ASSERT_TRUE(Parse({"--help"}, Options, Error));
    EXPECT_TRUE(Options.Help);
}

TEST(GameCommandLine, HostJoinAndDelay) {
    GameOptions Options;
    std::string Error;
    ASSERT_TRUE(Parse({}, Options, Error));
    EXPECT_EQ(Options.Online.Role, SessionOptions::Roles::None);
    ASSERT_TRUE(Parse({"--host"}, Options, Error));
    EXPECT_EQ(Options.Online.Role, SessionOptions::Roles::Host);
    EXPECT_EQ(Options.Online.Port, 24680);
    GameOptions Port;
    ASSERT_TRUE(Parse({"--host", "5000", "--scale", "2"}, Port, Error));
    EXPECT_EQ(Port.Online.Port, 5000);
    EXPECT_EQ(Port.Display.Scale, 2);
    // A port is optional: what follows --host may be another option.
    GameOptions NoPort;
    ASSERT_TRUE(Parse({"--host", "--delay", "2"}, NoPort, Error));
    EXPECT_EQ(NoPort.Online.Port, 24680);
    EXPECT_EQ(NoPort.Online.Delay, 2);
    GameOptions Guest;
    ASSERT_TRUE(Parse({"--join", "192.168.1.20"}, Guest, Error));
    EXPECT_EQ(Guest.Online.Role, SessionOptions::Roles::Guest);
    EXPECT_EQ(Guest.Online.Address, "192.168.1.20");
    EXPECT_EQ(Guest.Online.Port, 24680);
    GameOptions Named;
    ASSERT_TRUE(Parse({"--join", "friend.example-host.org:31000", "--delay", "0"}, Named, Error));
    EXPECT_EQ(Named.Online.Address, "friend.example-host.org");
    EXPECT_EQ(Named.Online.Port, 31000);
}

TEST(GameCommandLine, AServerIsKnownWithoutStartingASession) {
    GameOptions Plain;
    std::string Error;
    ASSERT_TRUE(Parse({}, Plain, Error));
    EXPECT_FALSE(Plain.Online.ServerKnown);
    GameOptions Server;
    ASSERT_TRUE(Parse({"--server", "play.example.org", "--delay", "1"}, Server, Error));
    EXPECT_TRUE(Server.Online.ServerKnown);
    // The title offers ONLINE; nothing goes online before the player chooses it.
    EXPECT_EQ(Server.Online.Role, SessionOptions::Roles::None);
    EXPECT_EQ(Server.Online.Address, "play.example.org");
    EXPECT_EQ(Server.Online.Port, 24680);
    EXPECT_EQ(Server.Online.Delay, 1);
    GameOptions Port;
    ASSERT_TRUE(Parse({"--server", "127.0.0.1:31000", "--record", "kept"}, Port, Error));
    EXPECT_EQ(Port.Online.Port, 31000);
}

TEST(GameCommandLine, RecordReplayAndTick) {
    GameOptions Plain;
    std::string Error;
    ASSERT_TRUE(Parse({}, Plain, Error));
    EXPECT_TRUE(Plain.RecordDir.empty()) << "without --record the game keeps nothing";
    EXPECT_TRUE(Plain.ReplayPath.empty());
    EXPECT_EQ(Plain.ReplayTick, -1);
    GameOptions Record;
    ASSERT_TRUE(Parse({"--record", "kept matches", "--host"}, Record, Error));
    EXPECT_EQ(Record.RecordDir, "kept matches");
    GameOptions Replay;
    ASSERT_TRUE(Parse({"--replay", "a.zbr", "--tick", "1234", "--scale", "2"}, Replay, Error));
    EXPECT_EQ(Replay.ReplayPath, "a.zbr");
    EXPECT_EQ(Replay.ReplayTick, 1234);
}

TEST(GameCommandLine, AnythingElseIsRefusedWithOneLine) {
    for (std::vector<const char *> Bad :
         std::vector<std::vector<const char *>>{{"--scale"},
                                                {"--scale", "0"},
                                                {"--scale", "9"},
                                                {"--scale", "2x"},
                                                {"--scale", "-1"},
                                                {"--scale", "99999999999"},
                                                {"--bogus"},
                                                {"extra"},
                                                {"--fullscreen=yes"},
                                                {"--host", "0"},
                                                {"--host", "65536"},
                                                {"--join"},
                                                {"--join", ""},
                                                {"--join", ":24680"},
                                                {"--join", "host:"},
                                                {"--join", "host:0"},
                                                {"--join", "host:70000"},
                                                {"--join", "a b"},
                                                {"--join", "host;rm"},
                                                {"--join", "h", "--host"},
                                                {"--delay", "1"},
                                                {"--host", "--delay", "4"},
                                                {"--host", "--delay"},
                                                {"--record"},
                                                {"--record", ""},
                                                {"--replay"},
                                                {"--tick", "5"},
                                                {"--replay", "a", "--tick", "-1"},
                                                {"--replay", "a", "--tick"},
                                                {"--replay", "a", "--host"},
                                                {"--replay", "a", "--record", "d"},
                                                {"--server"},
                                                {"--server", ""},
                                                {"--server", "host:0"},
                                                {"--server", "host:99999"},
                                                {"--server", "ws://host"},
                                                {"--server", "h", "--host"},
                                                {"--join", "h", "--server", "s"},
                                                {"--replay", "a", "--server", "s"}}) {
        GameOptions Options;
        std::string Error;
        EXPECT_FALSE(Parse(Bad, Options, Error)) << Bad[0];
        EXPECT_FALSE(Error.empty());
        EXPECT_EQ(Error.find('\n'), std::string::npos);
    }
}
