// zorbump-font: renders the characters the game's windows show, at the character heights they
// use, into a table compiled into the game (platform/FontTable.h). It runs on the build machine
// while building, also for the Windows and browser builds, so the game itself needs no font
// renderer. Text is rendered solid (no blending) with monochrome hinting: every pixel is covered
// or not, and the game draws the very pixels rendered here.
//
// Usage: zorbump-font FONT OUTPUT.cpp SPEC...
//   SPEC is HEIGHT:TEXT (the characters of TEXT at HEIGHT pixels) or HEIGHT+ascii:TEXT (also every
//   printable ASCII character). Full-width Latin forms the face lacks are drawn as the half-width
//   character in the middle of a full-width cell, as a Japanese face does. HEIGHT@OTHERFONT:TEXT
//   takes those characters at that height from another face instead, with its own advance, set
//   on the first face's baseline.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct Run {
    int Y, X, Length;
};

struct Glyph {
    int Advance = 0;
    std::vector<Run> Runs;
};

struct Size {
    int LineHeight = 0, UnderlineTop = 0, UnderlineRows = 0;
    std::map<uint32_t, Glyph> Glyphs;
};

[[noreturn]] void Fail(const std::string &What) {
    std::fprintf(stderr, "zorbump-font: %s\n", What.c_str());
    std::exit(1);
}

// The runs of a solid (8-bit, index 0 = background) rendering.
std::vector<Run> RunsOf(SDL_Surface *Rendered) {
    std::vector<Run> Runs;
    SDL_LockSurface(Rendered);
    for (int Y = 0; Y < Rendered->h; ++Y) {
        const uint8_t *Row =
            static_cast<const uint8_t *>(Rendered->pixels) + static_cast<size_t>(Y) * Rendered->pitch;
        for (int X = 0; X < Rendered->w;) {
            if (Row[X] == 0) {
                ++X;
                continue;
            }
            const int Start = X;
            while (X < Rendered->w && Row[X] != 0) {
                ++X;
            }
            Runs.push_back(Run{Y, Start, X - Start});
        }
    }
    SDL_UnlockSurface(Rendered);
    return Runs;
}

// Decodes UTF-8; the texts come from the build's own list, so a malformed one stops the build.
std::vector<uint32_t> CodePoints(const std::string &Utf8) {
    std::vector<uint32_t> Points;
    for (size_t I = 0; I < Utf8.size();) {
        const unsigned char Lead = static_cast<unsigned char>(Utf8[I]);
        const int Extra = Lead < 0x80         ? 0
                          : (Lead >> 5) == 6  ? 1
                          : (Lead >> 4) == 14 ? 2
                          : (Lead >> 3) == 30 ? 3
                                              : -1;
        if (Extra < 0 || I + static_cast<size_t>(Extra) >= Utf8.size()) {
            Fail("malformed UTF-8 in \"" + Utf8 + "\"");
        }
        uint32_t Point = Extra == 0   ? Lead
                         : Extra == 1 ? (Lead & 0x1F)
                         : Extra == 2 ? (Lead & 0x0F)
                                      : (Lead & 0x07);
        for (int K = 1; K <= Extra; ++K) {
            const unsigned char Next = static_cast<unsigned char>(Utf8[I + K]);
            if ((Next & 0xC0) != 0x80) {
                Fail("malformed UTF-8 in \"" + Utf8 + "\"");
            }
            Point = (Point << 6) | (Next & 0x3F);
        }
        Points.push_back(Point);
        I += static_cast<size_t>(Extra) + 1;
    }
    return Points;
}

TTF_Font *Open(const std::string &Path, int PixelHeight) {
    // At the renderer's 72 dots per inch a point is a pixel, so the size asked for is the height
    // of the character's em square in pixels.
    TTF_Font *Face = TTF_OpenFont(Path.c_str(), PixelHeight);
    if (Face == nullptr) {
        Fail("cannot open " + Path + ": " + TTF_GetError());
    }
    TTF_SetFontHinting(Face, TTF_HINTING_MONO);
    return Face;
}

// Rows is added to every run's row: another face's glyph set on the first face's baseline.
Glyph Render(TTF_Font *Face, uint32_t Point, int Rows = 0) {
    const bool FullWidthForm = Point >= 0xFF01 && Point <= 0xFF5E && !TTF_GlyphIsProvided32(Face, Point);
    const uint32_t Drawn = FullWidthForm ? Point - 0xFEE0 : Point;
    if (!TTF_GlyphIsProvided32(Face, Drawn)) {
        char Hex[16];
        std::snprintf(Hex, sizeof Hex, "U+%04X", static_cast<unsigned>(Point));
        Fail(std::string("the font has no character ") + Hex);
    }
    Glyph G;
    int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, Advance = 0;
    TTF_GlyphMetrics32(Face, Drawn, &MinX, &MaxX, &MinY, &MaxY, &Advance);
    G.Advance = Advance;
    if (SDL_Surface *Rendered = TTF_RenderGlyph32_Solid(Face, Drawn, SDL_Color{255, 255, 255, 255})) {
        G.Runs = RunsOf(Rendered);
        SDL_FreeSurface(Rendered);
    }
    for (Run &R : G.Runs) {
        R.Y += Rows;
    }
    if (FullWidthForm) {
        G.Advance = 2 * Advance;
        for (Run &R : G.Runs) {
            R.X += Advance / 2;
        }
    }
    return G;
}

// Characters of a size taken from another face: the face's file, and the characters.
using OtherFaces = std::map<std::string, std::set<uint32_t>>;

Size RenderSize(const std::string &Path, int PixelHeight, const std::set<uint32_t> &Points,
                const OtherFaces &Others) {
    TTF_Font *Face = Open(Path, PixelHeight);
    Size S;
    S.LineHeight = TTF_FontHeight(Face);
    // Where the face puts its underline: the rows an underlined blank covers.
    TTF_SetFontStyle(Face, TTF_STYLE_UNDERLINE);
    if (SDL_Surface *Blank = TTF_RenderUTF8_Solid(Face, " ", SDL_Color{255, 255, 255, 255})) {
        std::set<int> Rows;
        for (const Run &R : RunsOf(Blank)) {
            Rows.insert(R.Y);
        }
        SDL_FreeSurface(Blank);
        if (!Rows.empty()) {
            if (*Rows.rbegin() - *Rows.begin() + 1 != static_cast<int>(Rows.size())) {
                Fail("the face's underline is not one band of rows");
            }
            S.UnderlineTop = *Rows.begin();
            S.UnderlineRows = static_cast<int>(Rows.size());
        }
    }
    TTF_SetFontStyle(Face, TTF_STYLE_NORMAL);
    for (uint32_t Point : Points) {
        S.Glyphs[Point] = Render(Face, Point);
    }
    for (const auto &[OtherPath, OtherPoints] : Others) {
        TTF_Font *Other = Open(OtherPath, PixelHeight);
        const int Rows = TTF_FontAscent(Face) - TTF_FontAscent(Other);
        for (uint32_t Point : OtherPoints) {
            S.Glyphs[Point] = Render(Other, Point, Rows);
        }
        TTF_CloseFont(Other);
    }
    TTF_CloseFont(Face);
    return S;
}

std::string Byte(int Value) {
    if (Value < 0 || Value > 255) {
        Fail("a run does not fit the table's bytes: " + std::to_string(Value));
    }
    return std::to_string(Value);
}

void Write(const std::string &Path, const std::string &FontPath, const std::map<int, Size> &Sizes) {
    std::string Out = "// Generated by zorbump-font from " + FontPath +
                      ": the characters the game's windows show, rendered at build time.\n"
                      "#include \"platform/FontTable.h\"\n\nnamespace {\n\n";
    std::string Table = "} // namespace\n\nextern const FontTableSize FontTableSizes[] = {\n";
    for (const auto &[Height, S] : Sizes) {
        const std::string Name = std::to_string(Height);
        std::string Runs = "const uint8_t Runs" + Name + "[] = {\n";
        std::string Glyphs = "const FontTableGlyph Glyphs" + Name + "[] = {\n";
        size_t RunIndex = 0;
        for (const auto &[Point, G] : S.Glyphs) {
            Glyphs += "    {" + std::to_string(Point) + ", " + std::to_string(G.Advance) + ", " +
                      std::to_string(RunIndex) + ", " + std::to_string(G.Runs.size()) + "},\n";
            std::string Line = "   ";
            for (const Run &R : G.Runs) {
                Line += " " + Byte(R.Y) + "," + Byte(R.X) + "," + Byte(R.Length) + ",";
                if (Line.size() > 96) {
                    Runs += Line + "\n";
                    Line = "   ";
                }
            }
            if (Line.size() > 3) {
                Runs += Line + "\n";
            }
            RunIndex += G.Runs.size();
        }
        // An array needs an element even when every character is a blank.
        Runs += RunIndex == 0 ? "    0,\n};\n\n" : "};\n\n";
        Out += Runs + Glyphs + "};\n\n";
        Table += "    {" + Name + ", " + std::to_string(S.LineHeight) + ", " +
                 std::to_string(S.UnderlineTop) + ", " + std::to_string(S.UnderlineRows) + ", Glyphs" + Name +
                 ", " + std::to_string(S.Glyphs.size()) + ", Runs" + Name + "},\n";
    }
    Out += Table + "};\n\nextern const size_t FontTableSizeCount = " + std::to_string(Sizes.size()) + ";\n";
    std::ofstream File(Path, std::ios::binary);
    File << Out;
    if (!File.flush()) {
        Fail("cannot write " + Path);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        Fail("usage: zorbump-font FONT OUTPUT.cpp HEIGHT[+ascii|@OTHERFONT]:TEXT...");
    }
    std::map<int, std::set<uint32_t>> Wanted;
    std::map<int, OtherFaces> Others;
    for (int I = 3; I < argc; ++I) {
        const std::string Spec = argv[I];
        const size_t Colon = Spec.find(':');
        const std::string Head = Spec.substr(0, Colon);
        const size_t At = Head.find('@');
        if (At != std::string::npos) {
            const int Height = std::atoi(Head.c_str());
            if (Colon == std::string::npos || Height < 4 || Height > 160) {
                Fail("bad character list \"" + Spec + "\" (HEIGHT@OTHERFONT:TEXT)");
            }
            std::set<uint32_t> &Points = Others[Height][Head.substr(At + 1)];
            for (uint32_t Point : CodePoints(Spec.substr(Colon + 1))) {
                Points.insert(Point);
            }
            Wanted[Height];
            continue;
        }
        const bool Ascii = Head.size() > 6 && Head.compare(Head.size() - 6, 6, "+ascii") == 0;
        const int Height = std::atoi(Head.c_str());
        if (Colon == std::string::npos || Height < 4 || Height > 160) {
            Fail("bad character list \"" + Spec + "\" (HEIGHT[+ascii]:TEXT)");
        }
        std::set<uint32_t> &Points = Wanted[Height];
        for (uint32_t Point : CodePoints(Spec.substr(Colon + 1))) {
            Points.insert(Point);
        }
        for (uint32_t Point = 0x20; Ascii && Point <= 0x7E; ++Point) {
            Points.insert(Point);
        }
    }
    if (TTF_Init() != 0) {
        Fail(std::string("cannot start SDL2_ttf: ") + TTF_GetError());
    }
    std::map<int, Size> Sizes;
    for (const auto &[Height, Points] : Wanted) {
        Sizes[Height] = RenderSize(argv[1], Height, Points, Others[Height]);
    }
    TTF_Quit();
    Write(argv[2], argv[1], Sizes);
    return 0;
}
