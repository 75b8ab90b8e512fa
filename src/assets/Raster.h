// The drawing kit the pictures are made with: an ink map (one small number per pixel, 0 = empty),
// filled shapes, outlines and mirroring, and the step that turns a map into colours and a mask.
// The art is drawn from shapes so that one pose serves four colours and both facings.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

struct InkMap {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Ink;

    InkMap(int32_t NewWidth, int32_t NewHeight)
        : Width(NewWidth), Height(NewHeight), Ink(static_cast<size_t>(NewWidth) * NewHeight, 0) {}
    bool Inside(int32_t X, int32_t Y) const { return X >= 0 && Y >= 0 && X < Width && Y < Height; }
    uint8_t At(int32_t X, int32_t Y) const {
        return Inside(X, Y) ? Ink[static_cast<size_t>(Y) * Width + X] : 0;
    }
    void Put(int32_t X, int32_t Y, uint8_t Value) {
        if (Inside(X, Y)) {
            Ink[static_cast<size_t>(Y) * Width + X] = Value;
        }
    }
};

// Shapes are measured at pixel centres: pixel (x, y) is inside when (x + 0.5, y + 0.5) is, so an
// ellipse centred on a pixel corner covers an even number of pixels and mirrors exactly.
void FillEllipse(InkMap &Map, double CentreX, double CentreY, double RadiusX, double RadiusY, uint8_t Ink);
// A round-ended stroke: every pixel within Radius of the segment.
void FillStroke(InkMap &Map, double X0, double Y0, double X1, double Y1, double Radius, uint8_t Ink);
void FillBox(InkMap &Map, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint8_t Ink);
// A filled polygon (even-odd rule), points as x, y pairs.
void FillPolygon(InkMap &Map, const std::vector<double> &Points, uint8_t Ink);
// A shape drawn over what is there with its own one-pixel rim of OutlineInk.
void OutlinedEllipse(InkMap &Map, double CentreX, double CentreY, double RadiusX, double RadiusY, uint8_t Ink,
                     uint8_t OutlineInk);
void OutlinedStroke(InkMap &Map, double X0, double Y0, double X1, double Y1, double Radius, uint8_t Ink,
                    uint8_t OutlineInk);
// Every empty pixel beside a filled one (left, right, above, below) takes OutlineInk.
void AddOutline(InkMap &Map, uint8_t OutlineInk);
// Pixels of Map with ink From become To.
void Recolour(InkMap &Map, uint8_t From, uint8_t To);
InkMap Mirrored(const InkMap &Map);

// Writes the map at (X, Y) of Dest, each ink through Palette; empty pixels become black.
void PaintImage(Surface &Dest, int32_t X, int32_t Y, const InkMap &Map, const uint32_t *Palette);
// Writes the map's mask at (X, Y): black where it has ink, white where it is empty.
void PaintMask(Surface &Dest, int32_t X, int32_t Y, const InkMap &Map);

// The standard 16 colours, packed red in bits 0-7, green 8-15, blue 16-23.
namespace Vga {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t Maroon = 0x000080;
constexpr uint32_t Green = 0x008000;
constexpr uint32_t Olive = 0x008080;
constexpr uint32_t Navy = 0x800000;
constexpr uint32_t Purple = 0x800080;
constexpr uint32_t Teal = 0x808000;
constexpr uint32_t Silver = 0xC0C0C0;
constexpr uint32_t Grey = 0x808080;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Lime = 0x00FF00;
constexpr uint32_t Yellow = 0x00FFFF;
constexpr uint32_t Blue = 0xFF0000;
constexpr uint32_t Fuchsia = 0xFF00FF;
constexpr uint32_t Aqua = 0xFFFF00;
constexpr uint32_t White = 0xFFFFFF;
} // namespace Vga

// Packs a colour like the game's RGB().
constexpr uint32_t Rgb(uint32_t Red, uint32_t Green, uint32_t Blue) {
    return Red | (Green << 8) | (Blue << 16);
}
