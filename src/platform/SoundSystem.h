// What the sound output does differently on each system while it opens: SoundSystemPosix.cpp
// (Linux and its ALSA library), SoundSystemWindows.cpp, SoundSystemWeb.cpp.
#pragma once

// Before the sound device opens: keeps the system's sound library from filling standard error.
void QuietSoundSystem();
// After the device closed or failed to open: lets the library go again.
void ReleaseSoundSystem();
