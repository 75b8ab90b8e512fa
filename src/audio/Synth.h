// A very small synthesizer for the game's sound effects: layers of square, triangle or noise
// tones with a pitch sweep, an optional vibrato and a simple envelope, summed, softened and scaled.
// Everything is computed from the layer's numbers alone, so the same effect comes out of every run.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

enum class Wave {
    Square,
    Triangle,
    Noise, // a new random level FromHz..ToHz times a second: low rates rumble, high ones hiss
};

struct Layer {
    Wave Shape;
    double Start;   // seconds from the start of the effect
    double Length;  // seconds
    double FromHz;  // pitch at the start of the layer ...
    double ToHz;    // ... gliding evenly in musical steps to this at its end
    double Level;   // loudness relative to the other layers
    double Attack;  // seconds to full loudness
    double Release; // seconds of fade at the end
    double Decay;   // how fast the loudness dies away after the attack, per second (0: held)
    double VibratoHz = 0;
    double VibratoDepth = 0; // a fraction of the pitch
};

// The layers summed at SampleRate, softened a little, and scaled so that the loudest sample is
// exactly Peak. Its length is that of the layer that ends last.
std::vector<int16_t> RenderLayers(std::initializer_list<Layer> Layers, int32_t SampleRate, int16_t Peak);
