// The sound card as the program sees it: one mono stream of 16-bit samples that the system pulls
// from a fill function on a thread of its own. Without a usable device the program plays
// silently: nothing is pulled, and locking does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes Count samples into Samples. Runs on the sound system's thread, between locks.
using AudioFill = void (*)(int16_t *Samples, size_t Count);

// Opens the default output at SampleRate samples a second, pulling from Fill. Driver names the
// sound system to use (nullptr: the usual choice, or the environment's). Returns false, with the
// reason in Error, when there is no usable device; the program then goes on without sound.
bool OpenAudioOutput(int32_t SampleRate, AudioFill Fill, const char *Driver, std::string &Error);
void CloseAudioOutput();
bool AudioOutputOpen();

// Keeps the fill function from running while the window thread changes what it plays.
void LockAudioOutput();
void UnlockAudioOutput();
