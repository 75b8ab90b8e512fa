#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

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
    if (Op == SRCCOPY && Count == static_cast<size_t>(Source.Width) &&
        Count == static_cast<size_t>(Destination.Width)) {
        // Whole rows of equally wide pictures (the court each frame): one block copy.
        std::memcpy(Destination.Row(static_cast<int32_t>(Y + Top)),
                    Source.Row(static_cast<int32_t>(SourceY + Top)),
                    Count * static_cast<size_t>(Bottom - Top) * sizeof(uint32_t));
        return true;
    }
    for (int64_t Row = Top; Row < Bottom; ++Row) {
        const uint32_t *From = Source.Row(static_cast<int32_t>(SourceY + Row)) + SourceX + Left;
        uint32_t *To = Destination.Row(static_cast<int32_t>(Y + Row)) + X + Left;
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
    for (int64_t Row = Top; Row < Bottom; ++Row) {
        std::fill(Destination.Row(static_cast<int32_t>(Row)) + Left,
                  Destination.Row(static_cast<int32_t>(Row)) + Right, Colour);
    }
}
