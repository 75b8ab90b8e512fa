#include "platform/Scaling.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

PictureLayout FitPicture(int32_t OutputWidth, int32_t OutputHeight, int32_t PictureWidth,
                         int32_t PictureHeight) {
    PictureLayout Layout;
    if (PictureWidth > 0 && PictureHeight > 0) {
        Layout.Scale = std::max(1, std::min(OutputWidth / PictureWidth, OutputHeight / PictureHeight));
    }
    // Halves rounded down: a picture one pixel narrower than its output leans left, never blurs.
    Layout.Left = (OutputWidth - PictureWidth * Layout.Scale) / 2;
    Layout.Top = (OutputHeight - PictureHeight * Layout.Scale) / 2;
    return Layout;
}

int32_t ScaleThatFits(int32_t AreaWidth, int32_t AreaHeight, int32_t Width, int32_t Height,
                      int32_t FrameWidth, int32_t FrameHeight) {
    if (Width <= 0 || Height <= 0) {
        return 1;
    }
    const int32_t Across = (AreaWidth - FrameWidth) / Width;
    const int32_t Down = (AreaHeight - FrameHeight) / Height;
    return std::max(1, std::min(Across, Down));
}

namespace {

uint32_t *OutputRow(const OutputPixels &Output, int32_t Y) {
    return reinterpret_cast<uint32_t *>(Output.Pixels + static_cast<ptrdiff_t>(Y) * Output.Pitch);
}

void FillBlack(const OutputPixels &Output, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
    Left = std::max(Left, 0);
    Top = std::max(Top, 0);
    Right = std::min(Right, Output.Width);
    Bottom = std::min(Bottom, Output.Height);
    for (int32_t Y = Top; Y < Bottom && Left < Right; ++Y) {
        std::memset(OutputRow(Output, Y) + Left, 0, static_cast<size_t>(Right - Left) * 4);
    }
}

// Converts Count of the picture's pixels (red low) to the output's packing. Most screens keep red high and
// blue low: their loop has fixed shifts, which the compiler turns into a few wide operations per
// handful of pixels, the main cost of showing a frame at 1x.
void ConvertPixels(const uint32_t *Source, int32_t Count, uint32_t *Target, const OutputPixels &Output) {
    if (Output.RedShift == 16 && Output.GreenShift == 8 && Output.BlueShift == 0) {
        for (int32_t X = 0; X < Count; ++X) {
            const uint32_t Pixel = Source[X];
            Target[X] = (Pixel & 0xFF) << 16 | (Pixel & 0xFF00) | ((Pixel >> 16) & 0xFF);
        }
        return;
    }
    for (int32_t X = 0; X < Count; ++X) {
        const uint32_t Pixel = Source[X];
        Target[X] = (Pixel & 0xFF) << Output.RedShift | ((Pixel >> 8) & 0xFF) << Output.GreenShift |
                    ((Pixel >> 16) & 0xFF) << Output.BlueShift;
    }
}

} // namespace

void DrawScaled(const OutputPixels &Output, const Surface &Picture, const PictureLayout &Layout,
                bool Borders) {
    if (Borders) {
        const int32_t Right = Layout.Left + Picture.Width * Layout.Scale;
        const int32_t Bottom = Layout.Top + Picture.Height * Layout.Scale;
        FillBlack(Output, 0, 0, Output.Width, Layout.Top);
        FillBlack(Output, 0, Bottom, Output.Width, Output.Height);
        FillBlack(Output, 0, Layout.Top, Layout.Left, Bottom);
        FillBlack(Output, Right, Layout.Top, Output.Width, Bottom);
    }
    DrawScaledBlock(Output, Picture, Layout, {0, 0, Picture.Width, Picture.Height});
}

void DrawScaledBlock(const OutputPixels &Output, const Surface &Picture, const PictureLayout &Layout,
                     const PictureBlock &Block) {
    const int32_t Scale = Layout.Scale;
    // The visible part of the block, in the picture's own pixels.
    const int32_t FirstX = std::max({0, Block.Left, Layout.PictureX(0)});
    const int32_t LastX = std::min({Picture.Width, Block.Right, Layout.PictureX(Output.Width - 1) + 1});
    const int32_t FirstY = std::max({0, Block.Top, Layout.PictureY(0)});
    const int32_t LastY = std::min({Picture.Height, Block.Bottom, Layout.PictureY(Output.Height - 1) + 1});
    if (FirstX >= LastX) {
        return;
    }
    // Each visible row of the picture is converted once, at 1x straight into the output; larger, into
    // a row of its own whose pixels are then spread over their blocks.
    std::vector<uint32_t> Converted(Scale > 1 ? static_cast<size_t>(LastX - FirstX) : 0);
    const int32_t SpanFrom = std::max(Layout.Left + FirstX * Scale, 0);
    const int32_t SpanTo = std::min(Layout.Left + LastX * Scale, Output.Width);
    for (int32_t Y = FirstY; Y < LastY; ++Y) {
        const uint32_t *Source = Picture.Row(Y) + FirstX;
        const int32_t OutTop = Layout.Top + Y * Scale;
        // The first output row of the block that is on the output; the rest are copies of it.
        const int32_t RowFrom = std::max(OutTop, 0);
        const int32_t RowTo = std::min(OutTop + Scale, Output.Height);
        uint32_t *Target = OutputRow(Output, RowFrom);
        if (Scale == 1) {
            ConvertPixels(Source, LastX - FirstX, Target + Layout.Left + FirstX, Output);
            continue;
        }
        ConvertPixels(Source, LastX - FirstX, Converted.data(), Output);
        for (int32_t X = FirstX; X < LastX; ++X) {
            const uint32_t Pixel = Converted[static_cast<size_t>(X - FirstX)];
            const int32_t From = std::max(Layout.Left + X * Scale, 0);
            const int32_t To = std::min(Layout.Left + (X + 1) * Scale, Output.Width);
            for (int32_t Column = From; Column < To; ++Column) {
                Target[Column] = Pixel;
            }
        }
        for (int32_t Copy = RowFrom + 1; Copy < RowTo && SpanFrom < SpanTo; ++Copy) {
            std::memcpy(OutputRow(Output, Copy) + SpanFrom, Target + SpanFrom,
                        static_cast<size_t>(SpanTo - SpanFrom) * 4);
        }
    }
}

std::vector<PictureBlock> TakeChanges(const Surface &Picture, Surface &Shown) {
    DrawnBlocks &Drawn = Picture.Notes.SinceTaken;
    if (Shown.Width != Picture.Width || Shown.Height != Picture.Height) {
        Shown = Picture;
        Drawn.Clear();
        if (Picture.Width <= 0 || Picture.Height <= 0) {
            return {};
        }
        return {{0, 0, Picture.Width, Picture.Height}};
    }
    // Only where the picture was drawn on can it differ: the columns to compare in each row.
    const auto Width = static_cast<size_t>(Picture.Width);
    const auto Height = static_cast<size_t>(Picture.Height);
    const std::pair<int32_t, int32_t> Unseen =
        Drawn.IsEverything() ? std::make_pair(0, Picture.Width) : std::make_pair(Picture.Width, 0);
    std::vector<std::pair<int32_t, int32_t>> Span(Height, Unseen);
    for (const PictureBlock &Block : Drawn) {
        for (int32_t Y = Block.Top; Y < Block.Bottom; ++Y) {
            Span[static_cast<size_t>(Y)].first = std::min(Span[static_cast<size_t>(Y)].first, Block.Left);
            Span[static_cast<size_t>(Y)].second = std::max(Span[static_cast<size_t>(Y)].second, Block.Right);
        }
    }
    Drawn.Clear();
    // Rows this close together are sent as one block: a block is one request to the display, a row
    // between two changes costs far less than another request.
    constexpr int32_t JoinedGap = 8;
    std::vector<PictureBlock> Blocks;
    for (size_t Y = 0; Y < Height; ++Y) {
        const auto From = static_cast<size_t>(Span[Y].first);
        const auto To = static_cast<size_t>(Span[Y].second);
        if (From >= To) {
            continue;
        }
        const uint32_t *Now = Picture.Pixels.data() + Y * Width;
        uint32_t *Then = Shown.NotedRow(static_cast<int32_t>(Y));
        if (std::memcmp(Now + From, Then + From, (To - From) * 4) == 0) {
            continue;
        }
        size_t Left = From;
        while (Now[Left] == Then[Left]) {
            ++Left;
        }
        size_t Right = To;
        while (Now[Right - 1] == Then[Right - 1]) {
            --Right;
        }
        std::memcpy(Then + Left, Now + Left, (Right - Left) * 4);
        const auto Row = static_cast<int32_t>(Y);
        if (!Blocks.empty() && Row - Blocks.back().Bottom < JoinedGap) {
            PictureBlock &Last = Blocks.back();
            Last.Left = std::min(Last.Left, static_cast<int32_t>(Left));
            Last.Right = std::max(Last.Right, static_cast<int32_t>(Right));
            Last.Bottom = Row + 1;
        } else {
            Blocks.push_back({static_cast<int32_t>(Left), Row, static_cast<int32_t>(Right), Row + 1});
        }
    }
    return Blocks;
}
