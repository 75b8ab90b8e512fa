#include "audio/Effects.h"

#include <array>

#include "audio/Synth.h"

namespace {

// Notes of the tunes, in hertz.
constexpr double C5 = 523.25, D5 = 587.33, E5 = 659.26, G5 = 783.99, C6 = 1046.5;
constexpr double D4 = 293.66, G4 = 392.0, B4 = 493.88;

// Each effect's loudness, a fraction of the ceiling: the frequent small sounds stay in the back.
std::vector<int16_t> Render(std::initializer_list<Layer> Layers, double Loudness) {
    return RenderLayers(Layers, SoundRate, static_cast<int16_t>(EffectCeiling * Loudness));
}

std::vector<int16_t> Make(SoundEffect Which) {
    switch (Which) {
    case SoundEffect::MenuMove:
        // A short rising blip.
        return Render({{Wave::Square, 0, 0.045, 880, 1100, 1, 0.002, 0.015, 20}}, 0.45);
    case SoundEffect::MenuChoice:
        // Two notes up a fifth, the second held a little.
        return Render({{Wave::Square, 0, 0.07, G5, G5, 1, 0.002, 0.01, 8},
                       {Wave::Square, 0.07, 0.16, D5 * 2, D5 * 2, 1, 0.002, 0.06, 10},
                       {Wave::Triangle, 0.07, 0.16, D5, D5, 0.6, 0.002, 0.06, 10}},
                      0.55);
    case SoundEffect::Strike:
        // A soft thump: a falling triangle with a puff of noise.
        return Render({{Wave::Triangle, 0, 0.11, 330, 140, 1, 0.001, 0.03, 25},
                       {Wave::Noise, 0, 0.04, 6000, 2000, 0.5, 0.001, 0.02, 60}},
                      0.8);
    case SoundEffect::Spike:
        // A sharp crack that dives in pitch.
        return Render({{Wave::Square, 0, 0.15, 900, 160, 0.7, 0.001, 0.04, 18},
                       {Wave::Noise, 0, 0.09, 11000, 4000, 0.9, 0.001, 0.04, 30},
                       {Wave::Triangle, 0, 0.15, 200, 80, 1, 0.001, 0.05, 15}},
                      0.85);
    case SoundEffect::PowerShot:
        // A rising whoosh with a wobbling tone.
        return Render({{Wave::Square, 0, 0.28, 260, 1040, 0.6, 0.005, 0.08, 4, 18, 0.03},
                       {Wave::Noise, 0, 0.28, 3000, 9000, 0.5, 0.02, 0.1, 3},
                       {Wave::Triangle, 0, 0.1, 300, 120, 1, 0.001, 0.03, 20}},
                      0.9);
    case SoundEffect::SuperShot:
        // The biggest hit: two detuned rising tones over a roar.
        return Render({{Wave::Square, 0, 0.5, 180, 1200, 0.55, 0.005, 0.15, 2, 12, 0.02},
                       {Wave::Square, 0, 0.5, 182, 1212, 0.45, 0.005, 0.15, 2, 13, 0.02},
                       {Wave::Noise, 0, 0.45, 1500, 12000, 0.6, 0.01, 0.2, 3},
                       {Wave::Triangle, 0, 0.14, 260, 70, 1, 0.001, 0.04, 12}},
                      1.0);
    case SoundEffect::ThrownBack:
        // A wailing fall.
        return Render({{Wave::Triangle, 0, 0.38, 620, 110, 1, 0.005, 0.1, 2, 9, 0.05},
                       {Wave::Square, 0, 0.38, 310, 55, 0.25, 0.005, 0.1, 3, 9, 0.05}},
                      0.75);
    case SoundEffect::BallOffWall:
        // A short wooden knock.
        return Render({{Wave::Triangle, 0, 0.06, 520, 420, 1, 0.001, 0.02, 40},
                       {Wave::Noise, 0, 0.02, 8000, 8000, 0.3, 0.001, 0.01, 80}},
                      0.55);
    case SoundEffect::BallOnFloor:
        // A low, dull thud.
        return Render({{Wave::Triangle, 0, 0.14, 150, 55, 1, 0.001, 0.05, 18},
                       {Wave::Noise, 0, 0.06, 1200, 400, 0.5, 0.001, 0.03, 40}},
                      0.7);
    case SoundEffect::PointWon:
        // A bright rising arpeggio.
        return Render({{Wave::Square, 0, 0.08, C5, C5, 1, 0.002, 0.01, 6},
                       {Wave::Square, 0.08, 0.08, E5, E5, 1, 0.002, 0.01, 6},
                       {Wave::Square, 0.16, 0.08, G5, G5, 1, 0.002, 0.01, 6},
                       {Wave::Square, 0.24, 0.26, C6, C6, 1, 0.002, 0.12, 5},
                       {Wave::Triangle, 0.24, 0.26, C5, C5, 0.7, 0.002, 0.12, 5}},
                      0.6);
    case SoundEffect::SideOut:
        // Two falling notes: the serve changes hands.
        return Render({{Wave::Triangle, 0, 0.12, G4 * 2, G4 * 2, 1, 0.003, 0.02, 5},
                       {Wave::Triangle, 0.12, 0.22, D4 * 2, D4 * 2, 1, 0.003, 0.1, 5},
                       {Wave::Square, 0, 0.12, G4, G4, 0.3, 0.003, 0.02, 5},
                       {Wave::Square, 0.12, 0.22, D4, D4, 0.3, 0.003, 0.1, 5}},
                      0.6);
    case SoundEffect::MatchEnd:
        // A little fanfare ending on a long note with vibrato.
        return Render({{Wave::Square, 0, 0.12, G4, G4, 0.8, 0.003, 0.02, 3},
                       {Wave::Square, 0.13, 0.12, B4, B4, 0.8, 0.003, 0.02, 3},
                       {Wave::Square, 0.26, 0.12, D5, D5, 0.8, 0.003, 0.02, 3},
                       {Wave::Square, 0.39, 0.2, G5, G5, 0.8, 0.003, 0.03, 2},
                       {Wave::Square, 0.6, 0.12, E5, E5, 0.8, 0.003, 0.02, 3},
                       {Wave::Square, 0.73, 0.8, G5, G5, 0.8, 0.01, 0.35, 1.2, 6, 0.008},
                       {Wave::Triangle, 0.73, 0.8, G4, G4, 0.8, 0.01, 0.35, 1.2},
                       {Wave::Triangle, 0.73, 0.8, D5, D5, 0.4, 0.01, 0.35, 1.2}},
                      0.7);
    case SoundEffect::GaugeHum:
        // A soft low hum that swells and ebbs, so that one after another they throb.
        return Render({{Wave::Triangle, 0, 0.3, 110, 116, 1, 0.08, 0.12, 0},
                       {Wave::Triangle, 0, 0.3, 220.5, 232, 0.4, 0.08, 0.12, 0}},
                      0.3);
    case SoundEffect::GaugeTick:
        // A tiny high tick.
        return Render({{Wave::Square, 0, 0.03, 2400, 2000, 1, 0.001, 0.012, 50}}, 0.3);
    }
    return {};
}

std::array<std::vector<int16_t>, EffectCount> &Effects() {
    static std::array<std::vector<int16_t>, EffectCount> Built;
    return Built;
}

bool Built = false;

} // namespace

const char *EffectName(SoundEffect Which) {
    static constexpr const char *Names[EffectCount] = {
        "menu-move",     "menu-choice",   "strike",    "spike",    "power-shot", "super-shot", "thrown-back",
        "ball-off-wall", "ball-on-floor", "point-won", "side-out", "match-end",  "gauge-hum",  "gauge-tick",
    };
    return Names[static_cast<int>(Which)];
}

void BuildEffects() {
    if (Built) {
        return;
    }
    for (int Index = 0; Index < EffectCount; ++Index) {
        Effects()[Index] = Make(static_cast<SoundEffect>(Index));
    }
    Built = true;
}

const std::vector<int16_t> &EffectSamples(SoundEffect Which) {
    BuildEffects();
    return Effects()[static_cast<int>(Which)];
}
