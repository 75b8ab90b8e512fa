#include "platform/Surface.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

int64_t Area(const PictureBlock &Block) {
    return int64_t(Block.Right - Block.Left) * int64_t(Block.Bottom - Block.Top);
}

PictureBlock Joined(const PictureBlock &A, const PictureBlock &B) {
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
            std::max(A.Bottom, B.Bottom)};
}

// Whether a plain copy of Source at (0, 0) over Destination covers all of both.
bool CoversWhole(const Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                 const Surface &Source, int32_t SourceX, int32_t SourceY) {
    return X == 0 && Y == 0 && SourceX == 0 && SourceY == 0 && Source.Width == Destination.Width &&
           Source.Height == Destination.Height && Width >= Source.Width && Height >= Source.Height;
}

// A whole picture copied over another of its size. When it was the last picture copied whole there
// and has not changed since, the destination differs from it only where drawing has been noted,
// and only those blocks are copied back.
void CopyWhole(Surface &Destination, const Surface &Source) {
    DrawingNotes &Notes = Destination.Notes;
    const size_t Width = static_cast<size_t>(Source.Width);
    if (Notes.Backdrop == &Source && Notes.BackdropVersion == Source.Version() &&
        !Notes.SinceBackdrop.IsEverything()) {
        for (const PictureBlock &Block : Notes.SinceBackdrop) {
            Notes.SinceTaken.Add(Block);
            Notes.Changed = true;
            for (int32_t Row = Block.Top; Row < Block.Bottom; ++Row) {
                std::memcpy(Destination.NotedRow(Row) + Block.Left, Source.Row(Row) + Block.Left,
                            static_cast<size_t>(Block.Right - Block.Left) * sizeof(uint32_t));
            }
        }
    } else {
        Destination.Drawn({0, 0, Source.Width, Source.Height});
        std::memcpy(Destination.NotedRow(0), Source.Row(0),
                    Width * static_cast<size_t>(Source.Height) * sizeof(uint32_t));
        Notes.Backdrop = &Source;
        Notes.BackdropVersion = Source.Version();
    }
    Notes.SinceBackdrop.Clear();
}

} // namespace

void DrawnBlocks::Add(const PictureBlock &Block) {
    if (Everything || Block.Left >= Block.Right || Block.Top >= Block.Bottom) {
        return;
    }
    int Closest = 0;
    int64_t LeastGrowth = INT64_MAX;
    for (int I = 0; I < Count; ++I) {
        const int64_t Growth = Area(Joined(Blocks[I], Block)) - Area(Blocks[I]);
        if (Growth == 0) {
            return; // already inside one
        }
        if (Growth < LeastGrowth) {
            LeastGrowth = Growth;
            Closest = I;
        }
    }
    if (Count < Most) {
        Blocks[Count++] = Block;
    } else {
        Blocks[Closest] = Joined(Blocks[Closest], Block);
    }
}

uint64_t Surface::Version() const {
    static std::atomic<uint64_t> Last{0};
    if (Notes.Changed) {
        Notes.Version = Last.fetch_add(1, std::memory_order_relaxed) + 1;
        Notes.Changed = false;
    }
    return Notes.Version;
}

bool BitBlt(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, const Surface &Source,
            int32_t SourceX, int32_t SourceY, RasterOp Op) {
    // Clip against the source, then the destination, moving both corners together.
    int64_t Left = 0, Top = 0, Right = Width, Bottom = Height; // offsets within the rectangle
    Left = std::max<int64_t>({Left, -int64_t(SourceX), -int64_t(X)});
    Top = std::max<int64_t>({Top, -int64_t(SourceY), -int64_t(Y)});
    Right = std::min<int64_t>({Right, int64_t(Source.Width) - SourceX, int64_t(Destination.Width) - X});
    Bottom = std::min<int64_t>({Bottom, int64_t(Source.Height) - SourceY, int64_t(Destination.Height) - Y});
    if (Left >= Right || Top >= Bottom) {
        return false;
    }
    if (Op == SRCCOPY && CoversWhole(Destination, X, Y, Width, Height, Source, SourceX, SourceY) &&
        &Source != &Destination) {
        CopyWhole(Destination, Source);
        return true;
    }
    const size_t Count = static_cast<size_t>(Right - Left);
    if (&Source == &Destination) {
        // A copy within one picture reads it as it was before the copy, whichever way the
        // rectangles overlap: take the source rectangle aside first. The game itself never does this.
        Surface Aside(static_cast<int32_t>(Count), static_cast<int32_t>(Bottom - Top));
        BitBlt(Aside, 0, 0, Aside.Width, Aside.Height, Source, static_cast<int32_t>(SourceX + Left),
               static_cast<int32_t>(SourceY + Top), SRCCOPY);
        return BitBlt(Destination, static_cast<int32_t>(X + Left), static_cast<int32_t>(Y + Top), Aside.Width,
                      Aside.Height, Aside, 0, 0, Op);
    }
    Destination.Drawn({static_cast<int32_t>(X + Left), static_cast<int32_t>(Y + Top),
                       static_cast<int32_t>(X + Right), static_cast<int32_t>(Y + Bottom)});
    if (Op == SRCCOPY && Count == static_cast<size_t>(Source.Width) &&
        Count == static_cast<size_t>(Destination.Width)) {
        // Whole rows of equally wide pictures: one block copy.
        std::memcpy(Destination.NotedRow(static_cast<int32_t>(Y + Top)),
                    Source.Row(static_cast<int32_t>(SourceY + Top)),
                    Count * static_cast<size_t>(Bottom - Top) * sizeof(uint32_t));
        return true;
    }
    for (int64_t Row = Top; Row < Bottom; ++Row) {
        const uint32_t *From = Source.Row(static_cast<int32_t>(SourceY + Row)) + SourceX + Left;
        uint32_t *To = Destination.NotedRow(static_cast<int32_t>(Y + Row)) + X + Left;
        switch (Op) {
        case SRCCOPY:
            std::memcpy(To, From, Count * sizeof(uint32_t));
            break;
        case SRCAND:
            for (size_t I = 0; I < Count; ++I) {
                To[I] &= From[I];
            }
            break;
        case SRCPAINT:
            for (size_t I = 0; I < Count; ++I) {
                To[I] |= From[I];
            }
            break;
        }
    }
    return true;
}

void FillRect(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint32_t Colour) {
    const int64_t Left = std::max<int64_t>(X, 0);
    const int64_t Top = std::max<int64_t>(Y, 0);
    const int64_t Right = std::min<int64_t>(int64_t(X) + Width, Destination.Width);
    const int64_t Bottom = std::min<int64_t>(int64_t(Y) + Height, Destination.Height);
    if (Left >= Right) {
        return; // wholly beside the picture, or no width
    }
    Destination.Drawn({static_cast<int32_t>(Left), static_cast<int32_t>(Top), static_cast<int32_t>(Right),
                       static_cast<int32_t>(Bottom)});
    for (int64_t Row = Top; Row < Bottom; ++Row) {
        std::fill(Destination.NotedRow(static_cast<int32_t>(Row)) + Left,
                  Destination.NotedRow(static_cast<int32_t>(Row)) + Right, Colour);
    }
}
