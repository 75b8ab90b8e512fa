// The mixer: a few voices, each playing one effect's samples from start to end, summed into one
// stream. The sum passes a soft limiter, so overlapping effects never clip: the output never
// reaches full scale, however many voices play at their loudest.
#pragma once

#include <cstddef>
#include <cstdint>

// Below this the limiter passes samples unchanged; above it, it bends them ever closer to full
// scale without reaching it.
constexpr int32_t LimiterKnee = 24576;
// The limiter: odd, never decreasing, the identity up to the knee, and always within
// -32766..32766 for any sum.
int16_t LimitSample(int32_t Sum);

class Mixer {
  public:
    static constexpr int VoiceCount = 8;
    // Samples a voice takes to fade out when told to end: 10 ms, short enough to feel at once,
    // long enough not to click.
    static constexpr int32_t FadeSamples = 220;

    // Starts the samples on a free voice; with none free, on the one closest to its end. The
    // samples must stay alive while they play. Tag names what plays, for Fade and Playing.
    void Play(const int16_t *Samples, size_t Length, int Tag);
    // Every voice playing Tag fades out.
    void Fade(int Tag);
    // Every voice stops at once: the next sample mixed is silence.
    void Silence();
    bool Playing(int Tag) const;
    bool Busy() const;

    // The next Count samples of the mix; silence where nothing plays.
    void Mix(int16_t *Out, size_t Count);

  private:
    struct Voice {
        const int16_t *Samples = nullptr; // nullptr: the voice is free
        size_t Length = 0;
        size_t Position = 0;
        int Tag = -1;
        int32_t FadeLeft = -1; // samples of fade still to play, -1 while not fading
    };
    Voice Voices[VoiceCount];
};
