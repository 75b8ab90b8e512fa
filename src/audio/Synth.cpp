#include "audio/Synth.h"

#include <algorithm>
#include <cmath>

namespace {

// The noise source: a plain linear congruential generator, seeded per layer, so noise is the same
// in every run and on every machine.
class NoiseSource {
  public:
    explicit NoiseSource(uint32_t Seed) : State(Seed) {}
    double Next() {
        State = State * 1664525u + 1013904223u;
        return static_cast<double>(State >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

  private:
    uint32_t State;
};

// Attack and release as straight ramps; the decay between them as a factor applied sample by sample.
double Ramps(const Layer &Tone, double Time) {
    double Gain = Tone.Attack > 0 ? std::min(1.0, Time / Tone.Attack) : 1.0;
    const double Left = Tone.Length - Time;
    if (Tone.Release > 0 && Left < Tone.Release) {
        Gain *= std::max(0.0, Left / Tone.Release);
    }
    return Gain;
}

double WaveAt(Wave Shape, double Phase) {
    if (Shape == Wave::Square) {
        return Phase < 0.5 ? 1.0 : -1.0;
    }
    return Phase < 0.5 ? 4.0 * Phase - 1.0 : 3.0 - 4.0 * Phase;
}

// The correction that rounds off a jump of a wave sampled Phase after it (or before it, near 1),
// where Step is the phase one sample covers. Without it a square wave's jumps fold their highest
// overtones back down as a harsh, out-of-tune buzz.
double SmoothJump(double Phase, double Step) {
    if (Phase < Step) {
        const double T = Phase / Step;
        return T + T - T * T - 1.0;
    }
    if (Phase > 1.0 - Step) {
        const double T = (Phase - 1.0) / Step;
        return T * T + T + T + 1.0;
    }
    return 0.0;
}

// A square wave whose two jumps are rounded off.
double SmoothSquare(double Phase, double Step) {
    const double Half = Phase < 0.5 ? Phase + 0.5 : Phase - 0.5;
    return WaveAt(Wave::Square, Phase) + SmoothJump(Phase, Step) - SmoothJump(Half, Step);
}

void AddLayer(const Layer &Tone, int32_t SampleRate, uint32_t Seed, std::vector<double> &Sum) {
    const size_t First = static_cast<size_t>(Tone.Start * SampleRate);
    const size_t Count = static_cast<size_t>(Tone.Length * SampleRate);
    NoiseSource Noise(Seed);
    // The glide and the decay are even steps in the logarithm: one multiplication a sample each.
    const double Glide = std::pow(Tone.ToHz / Tone.FromHz, 1.0 / std::max<size_t>(Count, 1));
    const double Fall = std::exp(-Tone.Decay / SampleRate);
    double Hz = Tone.FromHz;
    double Decayed = 1.0;
    double Phase = 0;
    double Held = Noise.Next();
    const double Tick = 1.0 / SampleRate;
    for (size_t I = 0; I < Count && First + I < Sum.size(); ++I) {
        const double Time = static_cast<double>(I) * Tick;
        double Step = Hz * Tick;
        if (Tone.VibratoDepth > 0) {
            // A triangle wobble: as smooth to the ear as a sine here, and far cheaper.
            const double Wobble = Tone.VibratoHz * Time;
            Step *= 1.0 + Tone.VibratoDepth * WaveAt(Wave::Triangle, Wobble - std::floor(Wobble));
        }
        // No pitch here reaches the sample rate, so the phase wraps at most once a sample.
        Phase += Step;
        const bool Wrapped = Phase >= 1.0;
        if (Wrapped) {
            Phase -= 1.0;
        }
        double Value;
        if (Tone.Shape == Wave::Noise) {
            if (Wrapped) {
                Held = Noise.Next();
            }
            Value = Held;
        } else if (Tone.Shape == Wave::Square) {
            Value = SmoothSquare(Phase, Step);
        } else {
            Value = WaveAt(Tone.Shape, Phase);
        }
        const bool Ramping = Time < Tone.Attack || Tone.Length - Time < Tone.Release;
        Sum[First + I] += Value * Tone.Level * Decayed * (Ramping ? Ramps(Tone, Time) : 1.0);
        Hz *= Glide;
        if (Time >= Tone.Attack) {
            Decayed *= Fall;
        }
    }
}

} // namespace

std::vector<int16_t> RenderLayers(std::initializer_list<Layer> Layers, int32_t SampleRate, int16_t Peak) {
    double End = 0;
    for (const Layer &Tone : Layers) {
        End = std::max(End, Tone.Start + Tone.Length);
    }
    std::vector<double> Sum(static_cast<size_t>(End * SampleRate), 0.0);
    uint32_t Seed = 1;
    for (const Layer &Tone : Layers) {
        AddLayer(Tone, SampleRate, Seed++ * 2654435761u, Sum);
    }
    // A gentle low-pass takes the edge off the square waves' corners.
    double Smooth = 0;
    double Loudest = 0;
    for (double &Value : Sum) {
        Smooth += 0.45 * (Value - Smooth);
        Value = Smooth;
        Loudest = std::max(Loudest, std::fabs(Value));
    }
    std::vector<int16_t> Samples(Sum.size(), 0);
    if (Loudest <= 0) {
        return Samples;
    }
    for (size_t I = 0; I < Sum.size(); ++I) {
        Samples[I] = static_cast<int16_t>(std::lround(Sum[I] / Loudest * Peak));
    }
    return Samples;
}
