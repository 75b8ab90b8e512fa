// The effects and the mixer: every effect can be heard and fits its limits, and no mix of them
// clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "audio/Effects.h"
#include "audio/Mixer.h"

namespace {

int32_t Peak(const std::vector<int16_t> &Samples) {
    int32_t Loudest = 0;
    for (int16_t Sample : Samples) {
        Loudest = std::max(Loudest, std::abs(static_cast<int32_t>(Sample)));
    }
    return Loudest;
}

SoundEffect Effect(int Index) {
    return static_cast<SoundEffect>(Index);
}

TEST(SoundEffects, EachIsAudibleWithinFullScaleAndOfASensibleLength) {
    for (int Index = 0; Index < EffectCount; ++Index) {
        const std::vector<int16_t> &Samples = EffectSamples(Effect(Index));
        const std::string Name = EffectName(Effect(Index));
        const double Seconds = static_cast<double>(Samples.size()) / SoundRate;
        EXPECT_GE(Seconds, 0.020) << Name;
        EXPECT_LE(Seconds, 3.0) << Name;
        // Loud enough to hear (a tenth of full scale at least), never above the mixer's knee.
        EXPECT_GE(Peak(Samples), 3277) << Name;
        EXPECT_LE(Peak(Samples), EffectCeiling) << Name;
        // It dies away instead of stopping with a click.
        EXPECT_LE(std::abs(Samples.back()), 328) << Name;
    }
}

TEST(SoundEffects, EachHasItsOwnNameAndItsOwnSound) {
    std::set<std::string> Names;
    std::set<std::vector<int16_t>> Sounds;
    for (int Index = 0; Index < EffectCount; ++Index) {
        const std::string Name = EffectName(Effect(Index));
        EXPECT_EQ(Name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"), std::string::npos) << Name;
        Names.insert(Name);
        Sounds.insert(EffectSamples(Effect(Index)));
    }
    EXPECT_EQ(Names.size(), static_cast<size_t>(EffectCount));
    EXPECT_EQ(Sounds.size(), static_cast<size_t>(EffectCount));
}

// The limiter is checked at every sum that eight voices of 16-bit samples can make, which is
// every input the mixer can give it: so no mix can clip or wrap around.
TEST(SoundMixer, LimiterIsBoundedMonotonicAndExactBelowTheKneeForEveryPossibleSum) {
    constexpr int32_t Widest = Mixer::VoiceCount * 32768;
    int32_t Previous = LimitSample(-Widest);
    for (int32_t Sum = -Widest; Sum <= Widest; ++Sum) {
        const int32_t Out = LimitSample(Sum);
        ASSERT_LE(std::abs(Out), 32766) << Sum;
        ASSERT_GE(Out, Previous) << Sum;
        ASSERT_EQ(Out, -LimitSample(-Sum)) << Sum;
        if (std::abs(Sum) <= LimiterKnee) {
            ASSERT_EQ(Out, Sum);
        }
        Previous = Out;
    }
}

TEST(SoundMixer, OneEffectPassesUnchangedAndEveryEffectAtOnceNeverClips) {
    Mixer Mix;
    const std::vector<int16_t> &Super = EffectSamples(SoundEffect::SuperShot);
    Mix.Play(Super.data(), Super.size(), 0);
    std::vector<int16_t> Out(Super.size() + 100);
    Mix.Mix(Out.data(), Out.size());
    EXPECT_TRUE(std::equal(Super.begin(), Super.end(), Out.begin()));
    EXPECT_TRUE(std::all_of(Out.begin() + Super.size(), Out.end(), [](int16_t S) { return S == 0; }));
    EXPECT_FALSE(Mix.Busy());

    // The loudest effects stacked on every voice, started together and a little apart.
    for (int Offset : {0, 37}) {
        for (int Voice = 0; Voice < Mixer::VoiceCount; ++Voice) {
            const std::vector<int16_t> &Samples = EffectSamples(Effect((Voice * 5) % EffectCount));
            Mix.Play(Samples.data(), Samples.size(), Voice);
            std::vector<int16_t> Gap(Offset);
            Mix.Mix(Gap.data(), Gap.size());
        }
        std::vector<int16_t> Loud(SoundRate * 3);
        Mix.Mix(Loud.data(), Loud.size());
        EXPECT_LE(Peak(Loud), 32766);
        EXPECT_GT(Peak(Loud), EffectCeiling) << "the test stacks enough to reach the limiter";
    }
}

TEST(SoundMixer, AFullMixerGivesTheVoiceNearestItsEndToTheNewEffect) {
    Mixer Mix;
    const std::vector<int16_t> &Long = EffectSamples(SoundEffect::MatchEnd);
    const std::vector<int16_t> &Short = EffectSamples(SoundEffect::MenuMove);
    for (int Voice = 0; Voice < Mixer::VoiceCount - 1; ++Voice) {
        Mix.Play(Long.data(), Long.size(), Voice);
    }
    Mix.Play(Short.data(), Short.size(), 100);
    Mix.Play(Long.data(), Long.size(), 200);
    EXPECT_FALSE(Mix.Playing(100)) << "the short effect had the least left to play";
    for (int Voice = 0; Voice < Mixer::VoiceCount - 1; ++Voice) {
        EXPECT_TRUE(Mix.Playing(Voice));
    }
    EXPECT_TRUE(Mix.Playing(200));
}

TEST(SoundMixer, SilenceStopsAtOnceAndFadeEndsWithinTenMilliseconds) {
    Mixer Mix;
    const std::vector<int16_t> &Hum = EffectSamples(SoundEffect::GaugeHum);
    const std::vector<int16_t> &End = EffectSamples(SoundEffect::MatchEnd);
    Mix.Play(End.data(), End.size(), 1);
    Mix.Play(Hum.data(), Hum.size(), 2);
    std::vector<int16_t> Out(SoundRate / 10);
    Mix.Mix(Out.data(), Out.size());
    ASSERT_GT(Peak(Out), 0);

    Mix.Fade(2);
    Mix.Mix(Out.data(), Mixer::FadeSamples);
    EXPECT_FALSE(Mix.Playing(2));
    EXPECT_TRUE(Mix.Playing(1)) << "only the faded effect ends";

    Mix.Silence();
    EXPECT_FALSE(Mix.Busy());
    Mix.Mix(Out.data(), Out.size());
    EXPECT_EQ(Peak(Out), 0) << "the very next sample is silence";
}

} // namespace
