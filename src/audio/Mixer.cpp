#include "audio/Mixer.h"

#include <algorithm>
#include <cstdlib>

int16_t LimitSample(int32_t Sum) {
    const int64_t Magnitude = std::llabs(static_cast<int64_t>(Sum));
    if (Magnitude <= LimiterKnee) {
        return static_cast<int16_t>(Sum);
    }
    // Above the knee the excess e is squeezed to R e / (R + e), which stays below R, the room left
    // under full scale: the curve bends smoothly and never touches the rail.
    constexpr int64_t Room = 32767 - LimiterKnee;
    const int64_t Excess = Magnitude - LimiterKnee;
    const int64_t Bent = LimiterKnee + Room * Excess / (Room + Excess);
    return static_cast<int16_t>(Sum < 0 ? -Bent : Bent);
}

void Mixer::Play(const int16_t *Samples, size_t Length, int Tag) {
    if (Samples == nullptr || Length == 0) {
        return;
    }
    Voice *Chosen = &Voices[0];
    for (Voice &Each : Voices) {
        if (Each.Samples == nullptr) {
            Chosen = &Each;
            break;
        }
        if (Each.Length - Each.Position < Chosen->Length - Chosen->Position) {
            Chosen = &Each;
        }
    }
    *Chosen = Voice{Samples, Length, 0, Tag, -1};
}

void Mixer::Fade(int Tag) {
    for (Voice &Each : Voices) {
        if (Each.Samples != nullptr && Each.Tag == Tag && Each.FadeLeft < 0) {
            Each.FadeLeft = FadeSamples;
        }
    }
}

void Mixer::Silence() {
    for (Voice &Each : Voices) {
        Each = Voice{};
    }
}

bool Mixer::Playing(int Tag) const {
    for (const Voice &Each : Voices) {
        if (Each.Samples != nullptr && Each.Tag == Tag) {
            return true;
        }
    }
    return false;
}

bool Mixer::Busy() const {
    for (const Voice &Each : Voices) {
        if (Each.Samples != nullptr) {
            return true;
        }
    }
    return false;
}

void Mixer::Mix(int16_t *Out, size_t Count) {
    // Most of the time nothing plays: silence, without adding up eight idle voices per sample.
    if (!Busy()) {
        std::fill(Out, Out + Count, int16_t{0});
        return;
    }
    for (size_t I = 0; I < Count; ++I) {
        int32_t Sum = 0;
        for (Voice &Each : Voices) {
            if (Each.Samples == nullptr) {
                continue;
            }
            int32_t Value = Each.Samples[Each.Position++];
            if (Each.FadeLeft >= 0) {
                Value = Value * Each.FadeLeft / FadeSamples;
                Each.FadeLeft--;
            }
            Sum += Value;
            if (Each.Position >= Each.Length || Each.FadeLeft == 0) {
                Each = Voice{};
            }
        }
        Out[I] = LimitSample(Sum);
    }
}
