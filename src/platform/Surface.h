// Drawing surfaces: every window's picture and every hidden image is a plain 32-bit RGB surface in
// memory, and everything is drawn by rectangle copies between them, bit for bit.
//
// A surface also remembers where it has been drawn on. A match draws its whole court at every tick
// and then the characters and the ball over it, yet from one tick to the next only the places of
// the characters and the ball change. With those places noted, the court goes back only where
// something was drawn over it, and the screen looks for changes only there. The pixels are the
// same to the bit as drawing everything; only the work is less.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

// A block of a picture: columns Left to Right and rows Top to Bottom, each end excluded.
struct PictureBlock {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The blocks drawing has touched since the list was last cleared. A few dozen are kept; past that
// a new block joins the one it enlarges least, so the list always covers at least what was drawn.
// A list can also stand for the whole picture: after a write that said nowhere where it went.
class DrawnBlocks {
  public:
    static constexpr int Most = 32;

    void Add(const PictureBlock &Block);
    void AddEverything() { Everything = true; }
    void Clear() {
        Count = 0;
        Everything = false;
    }
    bool IsEverything() const { return Everything; }
    const PictureBlock *begin() const { return Blocks; }
    const PictureBlock *end() const { return Blocks + Count; }

  private:
    PictureBlock Blocks[Most];
    int Count = 0;
    bool Everything = true; // nothing is known of a new picture's drawing
};

// What a picture knows of its own drawing. A copy of a picture starts knowing nothing: its
// drawing history is the original's, not its own.
struct DrawingNotes {
    DrawingNotes() = default;
    DrawingNotes(const DrawingNotes &) {}
    DrawingNotes &operator=(const DrawingNotes &) {
        Forget();
        return *this;
    }
    void Forget() {
        SinceBackdrop.Clear();
        SinceBackdrop.AddEverything();
        SinceTaken.Clear();
        SinceTaken.AddEverything();
        Backdrop = nullptr;
        Changed = true;
    }

    // Drawn since the backdrop (the last picture copied over this one whole) was last copied.
    DrawnBlocks SinceBackdrop;
    // Drawn since the screen last took the list to look for changes (see TakeChanges).
    DrawnBlocks SinceTaken;
    const void *Backdrop = nullptr;
    uint64_t BackdropVersion = 0;
    // The picture's version: a number no other content of any picture has had. It is given out
    // when asked for after a change.
    uint64_t Version = 0;
    bool Changed = true;
};

// Memory for pixels, given already zeroed by the system. A vector would write every zero of a new
// black picture itself, and so touch every page of it at once: for the match window's picture that
// costs 1.7 ms, before the title window is even shown, for a picture not drawn on until a match.
// Zeroed pages cost nothing until they are drawn on.
template <typename Value> struct ZeroedMemory {
    using value_type = Value;
    ZeroedMemory() = default;
    template <typename Other> ZeroedMemory(const ZeroedMemory<Other> &) {}
    Value *allocate(size_t Count) {
        void *Block = std::calloc(Count, sizeof(Value));
        if (Block == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<Value *>(Block);
    }
    void deallocate(Value *Block, size_t) { std::free(Block); }
    // A new element without a value is the zero the memory already holds. That holds for memory
    // just given; a vector shrunk and grown again within its room would show its old pixels, so a
    // picture's pixels are sized only when it is made (copies and moves are whole).
    template <typename Made> void construct(Made *) {}
    template <typename Made, typename... Arguments> void construct(Made *At, Arguments &&...Given) {
        ::new (static_cast<void *>(At)) Made(std::forward<Arguments>(Given)...);
    }
    template <typename Other> bool operator==(const ZeroedMemory<Other> &) const { return true; }
    template <typename Other> bool operator!=(const ZeroedMemory<Other> &) const { return false; }
};
using PixelVector = std::vector<uint32_t, ZeroedMemory<uint32_t>>;

// A pixel holds red in bits 0-7, green in 8-15 and blue in 16-23, the same packing as the game's
// colour values; bits 24-31 are always 0.
struct Surface {
    int32_t Width = 0;
    int32_t Height = 0;
    PixelVector Pixels; // row by row, Width * Height; written through Row, Set or the drawing calls
    // The notes change as the picture is drawn on or shown, and never change its pixels.
    mutable DrawingNotes Notes;

    Surface() = default;
    Surface(int32_t NewWidth, int32_t NewHeight, uint32_t Fill = 0)
        : Width(NewWidth), Height(NewHeight), Pixels(static_cast<size_t>(NewWidth) * NewHeight) {
        if (Fill != 0) {
            Pixels.assign(Pixels.size(), Fill);
        }
    }

    // Writing through Row or Set says nothing of where: the whole picture counts as drawn.
    uint32_t *Row(int32_t Y) {
        Scribbled();
        return NotedRow(Y);
    }
    const uint32_t *Row(int32_t Y) const { return Pixels.data() + static_cast<size_t>(Y) * Width; }
    uint32_t At(int32_t X, int32_t Y) const { return Row(Y)[X]; }
    void Set(int32_t X, int32_t Y, uint32_t Colour) {
        Scribbled();
        NotedRow(Y)[X] = Colour;
    }

    // For the drawing calls, which note the block they draw in first (Drawn) and then write rows.
    void Drawn(const PictureBlock &Block) {
        Notes.SinceBackdrop.Add(Block);
        Notes.SinceTaken.Add(Block);
        Notes.Changed = true;
    }
    uint32_t *NotedRow(int32_t Y) { return Pixels.data() + static_cast<size_t>(Y) * Width; }

    uint64_t Version() const;

  private:
    void Scribbled() {
        Notes.SinceBackdrop.AddEverything();
        Notes.SinceTaken.AddEverything();
        Notes.Changed = true;
    }
};

enum RasterOp {
    SRCCOPY,  // plain copy
    SRCAND,   // destination AND source: masks, the ball's shadow
    SRCPAINT, // destination OR source: an image over its mask
};

// Copies a Width x Height rectangle from (SourceX, SourceY) of Source to (X, Y) of Destination,
// combining pixels by Op. Parts of the rectangle outside either surface are left out. Returns
// false when nothing was copied. A plain copy of a whole picture over another of its size, when it
// was the last one copied whole there and neither has changed since but by noted drawing, copies
// only the blocks drawn since.
bool BitBlt(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, const Surface &Source,
            int32_t SourceX, int32_t SourceY, RasterOp Op);

// Fills a rectangle (clipped) with one colour.
void FillRect(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint32_t Colour);
