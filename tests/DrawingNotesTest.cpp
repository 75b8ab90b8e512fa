// What a picture notes of its drawing: a backdrop copied back only where something was drawn over
// it must leave every pixel as copying all of it would, whatever the drawing in between, and the
// screen must find every change where it looks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestHelpers.h"
#include "platform/Font.h"
#include "platform/Scaling.h"
#include "platform/Surface.h"

namespace {

bool Inside(const PictureBlock &Small, const PictureBlock &Large) {
    return Small.Left >= Large.Left && Small.Right <= Large.Right && Small.Top >= Large.Top &&
           Small.Bottom <= Large.Bottom;
}

} // namespace

TEST(DrawingNotes, ABackdropCopiedBackWhereDrawnLeavesEveryPixelAsCopyingItAll) {
    // Two pictures drawn alike, one of which forgets its notes before every whole copy and so copies
    // everything. Between the copies: sprites, fills, text, writes that say nowhere, copies within
    // the picture, and backdrops that change under it.
    constexpr int32_t W = 64, H = 48;
    Surface Backdrops[2] = {Numbered(W, H, 0x100000), Numbered(W, H, 0x200000)};
    const Surface Sprite = Numbered(20, 16, 0x0F0F0F);
    const Surface Other = Numbered(W, H, 0x300000);
    Surface Noted(W, H), Plain(W, H);
    std::mt19937 Draw(7);
    auto Pick = [&](int32_t From, int32_t To) {
        return From + static_cast<int32_t>(Draw() % uint32_t(To - From));
    };
    for (int Step = 0; Step < 4000; ++Step) {
        SCOPED_TRACE(Step);
        switch (Draw() % 10) {
        case 0:
        case 1:
        case 2: { // the backdrop copied whole, as the match does at every tick
            const Surface &Back = Backdrops[Draw() % 4 == 0 ? 1 : 0];
            Plain.Notes.Forget();
            EXPECT_TRUE(BitBlt(Noted, 0, 0, W, H, Back, 0, 0, SRCCOPY));
            EXPECT_TRUE(BitBlt(Plain, 0, 0, W, H, Back, 0, 0, SRCCOPY));
            break;
        }
        case 3:
        case 4: { // a sprite, partly off the picture at times
            const int32_t X = Pick(-10, W), Y = Pick(-8, H);
            const auto Op = static_cast<RasterOp>(Draw() % 3);
            BitBlt(Noted, X, Y, 20, 16, Sprite, 0, 0, Op);
            BitBlt(Plain, X, Y, 20, 16, Sprite, 0, 0, Op);
            break;
        }
        case 5: {
            const int32_t X = Pick(-5, W), Y = Pick(-5, H), Wide = Pick(0, 30), High = Pick(0, 20);
            FillRect(Noted, X, Y, Wide, High, 0xABCDEF);
            FillRect(Plain, X, Y, Wide, High, 0xABCDEF);
            break;
        }
        case 6: {
            const int32_t X = Pick(-20, W), Y = Pick(-10, H);
            const std::string Text = " " + std::to_string(Step % 16) + " ";
            DrawText(Noted, X, Y, Text, GetFont(13), 0x00FF00, Step % 3 == 0);
            DrawText(Plain, X, Y, Text, GetFont(13), 0x00FF00, Step % 3 == 0);
            break;
        }
        case 7: { // a write that says nowhere where it went
            const int32_t X = Pick(0, W), Y = Pick(0, H);
            Noted.Set(X, Y, 0x777777);
            Plain.Set(X, Y, 0x777777);
            break;
        }
        case 8: { // a copy within the picture
            const int32_t X = Pick(-4, W), Y = Pick(-4, H), SX = Pick(0, W), SY = Pick(0, H);
            BitBlt(Noted, X, Y, 12, 9, Noted, SX, SY, SRCCOPY);
            BitBlt(Plain, X, Y, 12, 9, Plain, SX, SY, SRCCOPY);
            break;
        }
        case 9: { // a backdrop changes: drawn on, written raw, or replaced by another picture
            Surface &Back = Backdrops[Draw() % 2];
            switch (Draw() % 3) {
            case 0:
                FillRect(Back, Pick(0, W), Pick(0, H), 3, 3, Draw() & 0xFFFFFF);
                break;
            case 1:
                Back.Set(Pick(0, W), Pick(0, H), Draw() & 0xFFFFFF);
                break;
            default:
                Back = Other;
                break;
            }
            break;
        }
        }
        ASSERT_EQ(Noted.Pixels, Plain.Pixels);
    }
}

TEST(DrawingNotes, AMatchLikeFrameIsCopiedAndComparedOnlyWhereItDrew) {
    const Surface Court = Numbered(100, 80, 0x400000);
    const Surface Ball = Numbered(6, 6, 0x00FF00);
    Surface Frame(100, 80), Shown;
    BitBlt(Frame, 0, 0, 100, 80, Court, 0, 0, SRCCOPY);
    ASSERT_EQ(TakeChanges(Frame, Shown).size(), 1u); // the first frame is everything
    // The ball at (10, 10), then at (60, 50): the court comes back only at (10, 10).
    BitBlt(Frame, 10, 10, 6, 6, Ball, 0, 0, SRCCOPY);
    std::vector<PictureBlock> Changed = TakeChanges(Frame, Shown);
    ASSERT_EQ(Changed.size(), 1u);
    EXPECT_TRUE(Inside(Changed[0], {10, 10, 16, 16}));
    BitBlt(Frame, 0, 0, 100, 80, Court, 0, 0, SRCCOPY);
    ASSERT_FALSE(Frame.Notes.SinceTaken.IsEverything());
    for (const PictureBlock &Block : Frame.Notes.SinceTaken) {
        EXPECT_TRUE(Inside(Block, {10, 10, 16, 16}));
    }
    BitBlt(Frame, 60, 50, 6, 6, Ball, 0, 0, SRCCOPY);
    Changed = TakeChanges(Frame, Shown);
    ASSERT_EQ(Changed.size(), 2u);
    EXPECT_TRUE(Inside(Changed[0], {10, 10, 16, 16}));
    EXPECT_TRUE(Inside(Changed[1], {60, 50, 66, 56}));
    EXPECT_EQ(Shown.Pixels, Frame.Pixels);
    // The same frame drawn again changes nothing, though it was drawn.
    BitBlt(Frame, 0, 0, 100, 80, Court, 0, 0, SRCCOPY);
    BitBlt(Frame, 60, 50, 6, 6, Ball, 0, 0, SRCCOPY);
    EXPECT_TRUE(TakeChanges(Frame, Shown).empty());
    // A write that says nowhere where it went is still found.
    Frame.Set(99, 79, 1);
    Changed = TakeChanges(Frame, Shown);
    ASSERT_EQ(Changed.size(), 1u);
    EXPECT_EQ(Changed[0].Top, 79);
    EXPECT_EQ(Changed[0].Left, 99);
}

TEST(DrawingNotes, ManyBlocksStayCoveredByFewAndACopyKnowsNothing) {
    DrawnBlocks Drawn;
    Drawn.Clear();
    std::mt19937 Draw(3);
    std::vector<PictureBlock> Added;
    for (int I = 0; I < 200; ++I) {
        const auto X = static_cast<int32_t>(Draw() % 400), Y = static_cast<int32_t>(Draw() % 300);
        Added.push_back(
            {X, Y, X + 1 + static_cast<int32_t>(Draw() % 40), Y + 1 + static_cast<int32_t>(Draw() % 40)});
        Drawn.Add(Added.back());
    }
    ASSERT_LE(Drawn.end() - Drawn.begin(), DrawnBlocks::Most);
    for (const PictureBlock &Block : Added) {
        bool Covered = false;
        for (const PictureBlock &Kept : Drawn) {
            Covered = Covered || Inside(Block, Kept);
        }
        EXPECT_TRUE(Covered) << Block.Left << "," << Block.Top;
    }
    // A block inside one already noted adds nothing; an empty one neither.
    DrawnBlocks Few;
    Few.Clear();
    Few.Add({0, 0, 10, 10});
    Few.Add({2, 2, 5, 5});
    Few.Add({3, 3, 3, 9});
    EXPECT_EQ(Few.end() - Few.begin(), 1);

    Surface Picture(8, 8);
    FillRect(Picture, 0, 0, 8, 8, 5);
    Picture.Notes.SinceTaken.Clear();
    const Surface Copy = Picture;
    EXPECT_TRUE(Copy.Notes.SinceTaken.IsEverything());
}
