// The game's sound: the effects, one mixer, and the sound card that plays the mix. M turns sound
// off and on in every window; it starts on. Without a sound card everything here still works and
// nothing is heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/Effects.h"

// Builds the effects, listens for M, and opens the sound card (Driver as OpenAudioOutput takes
// it). Returns false, with the reason in Error, when the game has to play silently.
bool StartSound(const char *Driver, std::string &Error);
// Closes the sound card again.
void StopSound();

void PlayEffect(SoundEffect Which);
// Fades out every voice playing this effect.
void EndEffect(SoundEffect Which);
bool EffectPlaying(SoundEffect Which);
// True while any effect still plays.
bool SoundPlaying();

// Turning sound off stops whatever plays at once and keeps new effects from starting.
void SetSoundOn(bool On);
bool SoundOn();
// The key listener of the whole program: M toggles sound, and no window sees the M.
bool HearSoundKey(int16_t KeyCode);

// The next Count samples of the mix, as the sound card is given them. The headless tool pulls the
// mix here instead; nothing else should while a sound card is open.
void MixSound(int16_t *Out, size_t Count);
