#include "assets/Raster.h"

#include <algorithm>
#include <cmath>

void FillEllipse(InkMap &Map, double CentreX, double CentreY, double RadiusX, double RadiusY, uint8_t Ink) {
    if (RadiusX <= 0 || RadiusY <= 0) {
        return;
    }
    const int32_t Top = std::max(0, static_cast<int32_t>(std::floor(CentreY - RadiusY)));
    const int32_t Bottom = std::min(Map.Height - 1, static_cast<int32_t>(std::ceil(CentreY + RadiusY)));
    const int32_t Left = std::max(0, static_cast<int32_t>(std::floor(CentreX - RadiusX)));
    const int32_t Right = std::min(Map.Width - 1, static_cast<int32_t>(std::ceil(CentreX + RadiusX)));
    for (int32_t Y = Top; Y <= Bottom; ++Y) {
        const double Dy = (Y + 0.5 - CentreY) / RadiusY;
        for (int32_t X = Left; X <= Right; ++X) {
            const double Dx = (X + 0.5 - CentreX) / RadiusX;
            if (Dx * Dx + Dy * Dy <= 1.0) {
                Map.Put(X, Y, Ink);
            }
        }
    }
}

void FillStroke(InkMap &Map, double X0, double Y0, double X1, double Y1, double Radius, uint8_t Ink) {
    const int32_t Top = std::max(0, static_cast<int32_t>(std::floor(std::min(Y0, Y1) - Radius)));
    const int32_t Bottom =
        std::min(Map.Height - 1, static_cast<int32_t>(std::ceil(std::max(Y0, Y1) + Radius)));
    const int32_t Left = std::max(0, static_cast<int32_t>(std::floor(std::min(X0, X1) - Radius)));
    const int32_t Right = std::min(Map.Width - 1, static_cast<int32_t>(std::ceil(std::max(X0, X1) + Radius)));
    const double Dx = X1 - X0;
    const double Dy = Y1 - Y0;
    const double Length2 = Dx * Dx + Dy * Dy;
    for (int32_t Y = Top; Y <= Bottom; ++Y) {
        for (int32_t X = Left; X <= Right; ++X) {
            const double Px = X + 0.5 - X0;
            const double Py = Y + 0.5 - Y0;
            double T = Length2 > 0 ? (Px * Dx + Py * Dy) / Length2 : 0.0;
            T = std::clamp(T, 0.0, 1.0);
            const double Ex = Px - T * Dx;
            const double Ey = Py - T * Dy;
            if (Ex * Ex + Ey * Ey <= Radius * Radius) {
                Map.Put(X, Y, Ink);
            }
        }
    }
}

void FillBox(InkMap &Map, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint8_t Ink) {
    for (int32_t Row = Y; Row < Y + Height; ++Row) {
        for (int32_t Column = X; Column < X + Width; ++Column) {
            Map.Put(Column, Row, Ink);
        }
    }
}

void FillPolygon(InkMap &Map, const std::vector<double> &Points, uint8_t Ink) {
    const size_t Count = Points.size() / 2;
    double MinX = Points[0], MaxX = Points[0], MinY = Points[1], MaxY = Points[1];
    for (size_t I = 1; I < Count; ++I) {
        MinX = std::min(MinX, Points[2 * I]);
        MaxX = std::max(MaxX, Points[2 * I]);
        MinY = std::min(MinY, Points[2 * I + 1]);
        MaxY = std::max(MaxY, Points[2 * I + 1]);
    }
    const int32_t Top = std::max(0, static_cast<int32_t>(std::floor(MinY)));
    const int32_t Bottom = std::min(Map.Height - 1, static_cast<int32_t>(std::ceil(MaxY)));
    const int32_t Left = std::max(0, static_cast<int32_t>(std::floor(MinX)));
    const int32_t Right = std::min(Map.Width - 1, static_cast<int32_t>(std::ceil(MaxX)));
    for (int32_t Y = Top; Y <= Bottom; ++Y) {
        const double Sy = Y + 0.5;
        for (int32_t X = Left; X <= Right; ++X) {
            const double Sx = X + 0.5;
            bool Inside = false;
            for (size_t I = 0, J = Count - 1; I < Count; J = I++) {
                const double Xi = Points[2 * I], Yi = Points[2 * I + 1];
                const double Xj = Points[2 * J], Yj = Points[2 * J + 1];
                if ((Yi > Sy) != (Yj > Sy) && Sx < (Xj - Xi) * (Sy - Yi) / (Yj - Yi) + Xi) {
                    Inside = !Inside;
                }
            }
            if (Inside) {
                Map.Put(X, Y, Ink);
            }
        }
    }
}

void OutlinedEllipse(InkMap &Map, double CentreX, double CentreY, double RadiusX, double RadiusY, uint8_t Ink,
                     uint8_t OutlineInk) {
    FillEllipse(Map, CentreX, CentreY, RadiusX + 1, RadiusY + 1, OutlineInk);
    FillEllipse(Map, CentreX, CentreY, RadiusX, RadiusY, Ink);
}

void OutlinedStroke(InkMap &Map, double X0, double Y0, double X1, double Y1, double Radius, uint8_t Ink,
                    uint8_t OutlineInk) {
    FillStroke(Map, X0, Y0, X1, Y1, Radius + 1, OutlineInk);
    FillStroke(Map, X0, Y0, X1, Y1, Radius, Ink);
}

void AddOutline(InkMap &Map, uint8_t OutlineInk) {
    const InkMap Before = Map;
    for (int32_t Y = 0; Y < Map.Height; ++Y) {
        for (int32_t X = 0; X < Map.Width; ++X) {
            if (Before.At(X, Y) == 0 && (Before.At(X - 1, Y) != 0 || Before.At(X + 1, Y) != 0 ||
                                         Before.At(X, Y - 1) != 0 || Before.At(X, Y + 1) != 0)) {
                Map.Put(X, Y, OutlineInk);
            }
        }
    }
}

void Recolour(InkMap &Map, uint8_t From, uint8_t To) {
    std::replace(Map.Ink.begin(), Map.Ink.end(), From, To);
}

InkMap Mirrored(const InkMap &Map) {
    InkMap Result(Map.Width, Map.Height);
    for (int32_t Y = 0; Y < Map.Height; ++Y) {
        for (int32_t X = 0; X < Map.Width; ++X) {
            Result.Put(Map.Width - 1 - X, Y, Map.At(X, Y));
        }
    }
    return Result;
}

void PaintImage(Surface &Dest, int32_t X, int32_t Y, const InkMap &Map, const uint32_t *Palette) {
    for (int32_t Row = 0; Row < Map.Height; ++Row) {
        uint32_t *To = Dest.Row(Y + Row) + X;
        const uint8_t *Inks = Map.Ink.data() + static_cast<size_t>(Row) * Map.Width;
        for (int32_t Column = 0; Column < Map.Width; ++Column) {
            To[Column] = Inks[Column] == 0 ? Vga::Black : Palette[Inks[Column]];
        }
    }
}

void PaintMask(Surface &Dest, int32_t X, int32_t Y, const InkMap &Map) {
    for (int32_t Row = 0; Row < Map.Height; ++Row) {
        uint32_t *To = Dest.Row(Y + Row) + X;
        const uint8_t *Inks = Map.Ink.data() + static_cast<size_t>(Row) * Map.Width;
        for (int32_t Column = 0; Column < Map.Width; ++Column) {
            To[Column] = Inks[Column] == 0 ? Vga::White : Vga::Black;
        }
    }
}
