// The game's sound effects, synthesized in memory: no sound is read from a file.
#pragma once

#include <cstdint>
#include <vector>

enum class SoundEffect : uint8_t {
    MenuMove,
    MenuChoice,
    Strike,      // a character plays the ball
    Spike,       // ... downward, from the air
    PowerShot,   // ... as a power shot
    SuperShot,   // ... with the super move
    ThrownBack,  // a charged ball throws a character
    BallOffWall, // a side wall or the top of the court
    BallOnFloor,
    PointWon,
    SideOut,
    MatchEnd,
    GaugeHum,  // while a gauge fills; played again and again
    GaugeTick, // each flash of a full gauge
};
constexpr int EffectCount = 14;

// Mono 16-bit samples, this many a second.
constexpr int32_t SoundRate = 22050;
// No effect is louder than this, so one effect alone passes the mixer's limiter untouched.
constexpr int16_t EffectCeiling = 24576;

// The effect's name, also the name of its file in the tool: "menu-move", "strike", ...
const char *EffectName(SoundEffect Which);
// Builds every effect once; later calls do nothing.
void BuildEffects();
// The samples of one effect (building every effect on the first call).
const std::vector<int16_t> &EffectSamples(SoundEffect Which);
