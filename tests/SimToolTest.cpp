// zorbump-sim as a user runs it: arguments, the summary, the trace, replays from key files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>

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
          "--ticks", "--seed x", "--every 3", "--bogus", "--keys /nonexistent/keys"}) {
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
