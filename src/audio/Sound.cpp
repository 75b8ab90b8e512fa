#include "audio/Sound.h"

#include "audio/Mixer.h"
#include "platform/AudioOutput.h"
#include "platform/Keyboard.h"
#include "platform/Toolkit.h"

namespace {

Mixer TheMixer;
bool On = true;

// Holds off the sound card's thread while the window thread changes the voices.
class HeldOff {
  public:
    HeldOff() { LockAudioOutput(); }
    ~HeldOff() { UnlockAudioOutput(); }
    HeldOff(const HeldOff &) = delete;
    HeldOff &operator=(const HeldOff &) = delete;
};

void Pull(int16_t *Out, size_t Count) {
    TheMixer.Mix(Out, Count);
}

} // namespace

bool StartSound(const char *Driver, std::string &Error) {
    BuildEffects();
    SetKeyListener(HearSoundKey);
    return OpenAudioOutput(SoundRate, Pull, Driver, Error);
}

void StopSound() {
    CloseAudioOutput();
    SetKeyListener(nullptr);
    TheMixer.Silence();
}

void PlayEffect(SoundEffect Which) {
    if (!On) {
        return;
    }
    const std::vector<int16_t> &Samples = EffectSamples(Which);
    HeldOff Held;
    TheMixer.Play(Samples.data(), Samples.size(), static_cast<int>(Which));
}

void EndEffect(SoundEffect Which) {
    HeldOff Held;
    TheMixer.Fade(static_cast<int>(Which));
}

bool EffectPlaying(SoundEffect Which) {
    HeldOff Held;
    return TheMixer.Playing(static_cast<int>(Which));
}

bool SoundPlaying() {
    HeldOff Held;
    return TheMixer.Busy();
}

void SetSoundOn(bool NewOn) {
    On = NewOn;
    if (!On) {
        HeldOff Held;
        TheMixer.Silence();
    }
}

bool SoundOn() {
    return On;
}

bool HearSoundKey(int16_t KeyCode) {
    if (KeyCode != VK_M) {
        return false;
    }
    SetSoundOn(!On);
    return true;
}

void MixSound(int16_t *Out, size_t Count) {
    HeldOff Held;
    TheMixer.Mix(Out, Count);
}
