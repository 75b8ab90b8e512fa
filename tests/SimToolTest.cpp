// zorbump-sim as a user runs it: arguments, the summary, the trace, replays from key files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct RunResult {
    int Status;
    std::string Out;
};

// Runs the tool with Args; standard error is folded into the output when Both is set.
RunResult RunSim(const std::string &Args, bool Both = false) {
    const std::string Command =
        std::string(ZORBUMP_SIM_PATH) + " " + Args + (Both ? " 2>&1" : " 2>/dev/null");
    FILE *Pipe = popen(Command.c_str(), "r");
    std::string Out;
    char Buffer[65536];
    size_t Got;
    while ((Got = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) {
        Out.append(Buffer, Got);
    }
    const int Status = pclose(Pipe);
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Out};
}

int CountLines(const std::string &Text) {
    int Lines = 0;
    for (char C : Text) {
        Lines += C == '\n';
    }
    return Lines;
}

std::string TempFile(const std::string &Name, const std::string &Contents) {
    const std::string Path = ::testing::TempDir() + "/" + Name;
    std::ofstream(Path) << Contents;
    return Path;
}

TEST(SimTool, BadArgumentsGiveOneLineAndStatusTwo) {
    for (const char *Args :
         {"--lineup 0/0,1/0,0/1", "--lineup 0/0,0/1,0/2,1/0x", "--lineup 0/0,0/1,0/2,0/0",
          "--lineup 0/0,0/1,1/0,1/0", "--lineup 0/0,0/1,0/2,1/3", "--people 4", "--people 1,1", "--ticks -1",
          "--ticks", "--seed x", "--every 3", "--bogus", "--keys /nonexistent/keys", "--sounds", "--audio"}) {
        const RunResult R = RunSim(Args, true);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(CountLines(R.Out), 1) << Args << ": " << R.Out;
        EXPECT_EQ(R.Out.rfind("zorbump-sim: ", 0), 0u) << R.Out;
    }
    const std::string BadKeys = TempFile("bad-keys.txt", "89\n90 300\n");
    const RunResult R = RunSim("--keys " + BadKeys, true);
    EXPECT_EQ(R.Status, 2);
    EXPECT_NE(R.Out.find("line 2"), std::string::npos) << R.Out;
}

TEST(SimTool, FourComputersFinishAMatchWithEveryLineup) {
    for (const char *Lineup : {"0/0,1/0,0/1,1/1", "0/0,1/0,1/1,1/2", "0/0,0/1,0/2,1/0", "0/0,1/0,0/1,0/2",
                               "1/0,0/0,1/1,1/2", "0/1,1/2,0/0,1/0"}) {
        const RunResult R = RunSim(std::string("--lineup ") + Lineup);
        EXPECT_EQ(R.Status, 0);
        EXPECT_NE(R.Out.find("(match won)"), std::string::npos) << Lineup << ": " << R.Out;
        EXPECT_TRUE(R.Out.find("score 15-") == 0 || R.Out.find("-15 after") != std::string::npos) << R.Out;
    }
}

TEST(SimTool, TraceHasOneObjectPerTickWithEveryField) {
    const RunResult R = RunSim("--ticks 40 --trace");
    ASSERT_EQ(R.Status, 0);
    EXPECT_EQ(CountLines(R.Out), 41);
    EXPECT_EQ(R.Out.rfind("{\"tick\":0,\"draws\":[]", 0), 0u);
    for (const char *Key :
         {"\"Side\":", "\"ComboFront\":", "\"FlashCount\":", "\"Gl_Teams\":[{\"Score\":0,\"Members\":2}",
          "\"Gl_BallAnim\":", "\"Gl_PointDelay\":", "\"Gl_ServeSide\":", "\"Gl_Blink\":"}) {
        EXPECT_NE(R.Out.find(Key), std::string::npos) << Key;
    }
    EXPECT_NE(R.Out.find("{\"tick\":40,"), std::string::npos);
}

TEST(SimTool, SameKeysReplayTheSameMatchAndSeedsChangeIt) {
    std::string Keys;
    for (int T = 0; T < 300; ++T) {
        Keys += T % 7 < 3 ? "90 74\n" : (T % 11 == 0 ? "89\n" : "\n");
    }
    const std::string Path = TempFile("replay-keys.txt", Keys);
    const RunResult A = RunSim("--people 0 --keys " + Path + " --ticks 300 --trace");
    const RunResult B = RunSim("--people 0 --keys " + Path + " --ticks 300 --trace");
    ASSERT_EQ(A.Status, 0);
    EXPECT_EQ(A.Out, B.Out);
    EXPECT_NE(A.Out.find("\"Control\":1,\"KeySet\":0"), std::string::npos);
    const RunResult C = RunSim("--people 0 --keys " + Path + " --ticks 300 --trace --seed 9");
    EXPECT_NE(A.Out, C.Out);
}

TEST(SimTool, SummaryReportsTicksStops) {
    const RunResult R = RunSim("--ticks 10");
    EXPECT_EQ(R.Out, "score 0-0 after 10 ticks (stopped at --ticks)\n");
}

} // namespace

namespace {

std::string ReadWhole(const std::string &Path) {
    std::ifstream File(Path);
    return std::string(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

// A person walks, jumps and spikes, charges, dives and spins; every field of every tick must come
// out as it did when the rules were last checked. A change here is a change of the game's rules.
TEST(SimTool, ScenarioReplaysItsGoldenTrace) {
    const std::string Dir = std::string(ZORBUMP_SOURCE_DIR) + "/tests/golden/";
    const RunResult R = RunSim("--people 0 --keys " + Dir + "scenario-keys.txt --ticks 90 --trace");
    ASSERT_EQ(R.Status, 0);
    EXPECT_TRUE(R.Out == ReadWhole(Dir + "scenario-trace.jsonl"))
        << "regenerate with: zorbump-sim --people 0 --keys tests/golden/scenario-keys.txt --ticks 90 --trace";
}

TEST(SimTool, DefaultMatchEndsAsItAlwaysHas) {
    EXPECT_EQ(RunSim("").Out, "score 15-0 after 2700 ticks (match won)\n");
    EXPECT_EQ(RunSim("--seed 4").Out, "score 15-1 after 3546 ticks (match won)\n");
}

} // namespace

namespace {

// The samples of a 16-bit mono PCM WAV at the game's rate; fails the test when the file is not one.
std::vector<int16_t> ReadWav(const std::string &Path) {
    const std::string Bytes = ReadWhole(Path);
    auto Little = [&](size_t At, int Count) {
        uint32_t Value = 0;
        for (int Byte = Count - 1; Byte >= 0; --Byte) {
            Value = Value << 8 | static_cast<uint8_t>(Bytes.at(At + Byte));
        }
        return Value;
    };
    std::vector<int16_t> Samples;
    EXPECT_GE(Bytes.size(), 44u) << Path;
    if (Bytes.size() < 44) {
        return Samples;
    }
    EXPECT_EQ(Bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(Little(4, 4), Bytes.size() - 8);
    EXPECT_EQ(Bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Little(16, 4), 16u);
    EXPECT_EQ(Little(20, 2), 1u) << "plain PCM";
    EXPECT_EQ(Little(22, 2), 1u) << "mono";
    EXPECT_EQ(Little(24, 4), 22050u);
    EXPECT_EQ(Little(28, 4), 44100u);
    EXPECT_EQ(Little(32, 2), 2u);
    EXPECT_EQ(Little(34, 2), 16u);
    EXPECT_EQ(Bytes.substr(36, 4), "data");
    EXPECT_EQ(Little(40, 4), Bytes.size() - 44);
    for (size_t At = 44; At + 1 < Bytes.size(); At += 2) {
        Samples.push_back(static_cast<int16_t>(Little(At, 2)));
    }
    return Samples;
}

int32_t Loudest(const std::vector<int16_t> &Samples) {
    int32_t Peak = 0;
    for (int16_t Sample : Samples) {
        Peak = std::max(Peak, std::abs(static_cast<int32_t>(Sample)));
    }
    return Peak;
}

TEST(SimTool, SoundsWritesEveryEffectAsAWavIntoAFolderItMakes) {
    const std::string Dir = ::testing::TempDir() + "/sounds-" + std::to_string(getpid()) + "/new/folder";
    const RunResult R = RunSim("--sounds " + Dir, true);
    ASSERT_EQ(R.Status, 0) << R.Out;
    EXPECT_EQ(R.Out, "") << "writing the effects plays no match";
    for (const char *Name : {"menu-move", "menu-choice", "strike", "spike", "power-shot", "super-shot",
                             "thrown-back", "ball-off-wall", "ball-on-floor", "point-won", "side-out",
                             "match-end", "gauge-hum", "gauge-tick"}) {
        const std::vector<int16_t> Samples = ReadWav(Dir + "/" + Name + ".wav");
        EXPECT_GE(Samples.size(), 441u) << Name;
        EXPECT_GT(Loudest(Samples), 0) << Name;
    }
}

TEST(SimTool, AudioIsTheRunsSoundAtOneTickPer33MsAndChangesNothingInTheRun) {
    const std::string Dir = ::testing::TempDir() + "/audio-" + std::to_string(getpid());
    const RunResult Heard = RunSim("--ticks 600 --trace --audio " + Dir + "/made/run.wav");
    ASSERT_EQ(Heard.Status, 0);
    EXPECT_TRUE(Heard.Out == RunSim("--ticks 600 --trace").Out) << "the listener only listens";
    const std::vector<int16_t> Samples = ReadWav(Dir + "/made/run.wav");
    // 600 ticks of 33 ms, and the last effects played out to their end.
    EXPECT_GE(Samples.size(), 600u * 33 * 22050 / 1000);
    EXPECT_LE(Samples.size(), 600u * 33 * 22050 / 1000 + 3 * 22050);
    EXPECT_GT(Loudest(Samples), 3000) << "a rally of four computers is heard";
    EXPECT_LT(Loudest(Samples), 32767);

    const RunResult Blocked = RunSim("--ticks 5 --audio " + Dir + "/made/run.wav/inside.wav", true);
    EXPECT_EQ(Blocked.Status, 2);
    EXPECT_EQ(CountLines(Blocked.Out), 1) << Blocked.Out;
}

TEST(SimTool, HelpListsEveryOption) {
    const RunResult R = RunSim("--help");
    EXPECT_EQ(R.Status, 0);
    for (const char *Option : {"--lineup", "--people", "--keys", "--ticks", "--trace", "--seed", "--frames",
                               "--every", "--sheets", "--sounds", "--audio", "--help"}) {
        EXPECT_NE(R.Out.find(Option), std::string::npos) << Option;
    }
}

} // namespace
