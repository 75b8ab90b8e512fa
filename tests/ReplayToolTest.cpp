// zorbump-sim's replays as a user runs them: --record keeps a match, --replay plays it again to the
// very trace and picture, and a file of another build, another format or a damaged one is refused
// with one line and status 2, nothing played.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/Crc32.h"

namespace {

struct RunResult {
    int Status;
    std::string Out, Err;
};

RunResult RunSim(const std::string &Args) {
    const std::string ErrPath = ::testing::TempDir() + "/replay-tool-stderr-" + std::to_string(getpid()) + ".txt";
    const std::string Command = std::string(ZORBUMP_SIM_PATH) + " " + Args + " 2>" + ErrPath;
    FILE *Pipe = popen(Command.c_str(), "r");
    std::string Out;
    char Buffer[65536];
    size_t Got;
    while ((Got = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) {
        Out.append(Buffer, Got);
    }
    const int Status = pclose(Pipe);
    std::ifstream ErrFile(ErrPath);
    const std::string Err((std::istreambuf_iterator<char>(ErrFile)), std::istreambuf_iterator<char>());
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Out, Err};
}

std::string Temp(const std::string &Name) {
    return ::testing::TempDir() + "/" + std::to_string(getpid()) + "-" + Name; // tests run side by side
}

// Keys held the way two people hold them, and some keys the match never reads.
std::string KeysFile(const std::string &Name, int Ticks, unsigned Seed) {
    const int Keys[] = {89, 78, 71, 74, 90, 104, 98, 100, 102, 38, 32, 65, 13};
    std::mt19937 Random(Seed);
    std::vector<int> Held;
    std::string Text;
    for (int Tick = 0; Tick < Ticks; ++Tick) {
        if (Random() % 5 == 0) {
            Held.clear();
            for (int Key : Keys) {
                if (Random() % 4 == 0) {
                    Held.push_back(Key);
                }
            }
        }
        for (size_t I = 0; I < Held.size(); ++I) {
            Text += (I == 0 ? "" : " ") + std::to_string(Held[I]);
        }
        Text += "\n";
    }
    const std::string Path = Temp(Name);
    std::ofstream(Path) << Text;
    return Path;
}

std::vector<uint8_t> ReadBytes(const std::string &Path) {
    std::ifstream File(Path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &Path, const std::vector<uint8_t> &Bytes) {
    std::ofstream(Path, std::ios::binary)
        .write(reinterpret_cast<const char *>(Bytes.data()), long(Bytes.size()));
}

void Reseal(std::vector<uint8_t> &Bytes) {
    const uint32_t Sum = Crc32(Bytes.data(), Bytes.size() - 4);
    for (int Byte = 0; Byte < 4; ++Byte) {
        Bytes[Bytes.size() - 4 + size_t(Byte)] = uint8_t(Sum >> (8 * Byte));
    }
}

TEST(ReplayTool, AReplayPrintsTheVeryTraceOfTheRun) {
    const std::string Keys = KeysFile("replay-keys.txt", 1500, 17);
    const std::string File = Temp("replay-two-people.zbr");
    for (const std::string &Match :
         {std::string("--lineup 0/0,1/1,1/0,0/1 --people 3,1 --seed 99 --ticks 1200"),
          std::string("--people 0 --ticks 900"), std::string("--lineup 0/0,1/0,1/1,1/2 --ticks 700")}) {
        const RunResult Original = RunSim(Match + " --keys " + Keys + " --trace --record " + File);
        ASSERT_EQ(Original.Status, 0) << Original.Err;
        const RunResult Again = RunSim("--replay " + File + " --trace");
        ASSERT_EQ(Again.Status, 0) << Again.Err;
        EXPECT_TRUE(Again.Out == Original.Out) << Match;
        // --ticks stops a replay early, at the same line.
        const RunResult Part = RunSim("--replay " + File + " --trace --ticks 100");
        EXPECT_TRUE(Part.Out == Original.Out.substr(0, Part.Out.size())) << Match;
        EXPECT_EQ(std::count(Part.Out.begin(), Part.Out.end(), '\n'), 101);
    }
    std::remove(File.c_str());
    std::remove(Keys.c_str());
}

TEST(ReplayTool, AMatchTo15IsKeptInAFewKilobytes) {
    const std::string Keys = KeysFile("replay-keys-15.txt", 40000, 5);
    const std::string File = Temp("replay-to-15.zbr");
    const RunResult Original = RunSim("--people 0,3 --keys " + Keys + " --record " + File);
    ASSERT_EQ(Original.Status, 0) << Original.Err;
    ASSERT_NE(Original.Out.find("(match won)"), std::string::npos) << Original.Out;
    const auto Size = std::filesystem::file_size(File);
    std::printf("a match to 15 with two people: %s, %ju bytes\n", Original.Out.c_str(), uintmax_t(Size));
    EXPECT_LT(Size, 16000u);
    const RunResult Again = RunSim("--replay " + File);
    EXPECT_EQ(Again.Out, Original.Out);
    std::remove(File.c_str());
    std::remove(Keys.c_str());
}

TEST(ReplayTool, BadFilesAreRefusedWithOneLine) {
    const std::string Good = Temp("replay-good.zbr");
    ASSERT_EQ(RunSim("--people 1 --ticks 300 --record " + Good).Status, 0);
    const std::vector<uint8_t> Bytes = ReadBytes(Good);
    ASSERT_GT(Bytes.size(), 57u);
    struct Case {
        const char *Name;
        std::vector<uint8_t> Bytes;
        const char *Says;
    };
    std::vector<uint8_t> OtherBuild = Bytes, OtherVersion = Bytes, Damaged = Bytes;
    OtherBuild[10] ^= 0xFF;
    Reseal(OtherBuild);
    OtherVersion[4] = 9;
    Damaged[Bytes.size() - 10] ^= 4;
    const Case Cases[] = {
        {"other-build", OtherBuild, "another build"},
        {"other-version", OtherVersion, "version 9"},
        {"cut", std::vector<uint8_t>(Bytes.begin(), Bytes.end() - 3), "cut short"},
        {"damaged", Damaged, "damaged"},
        {"not-replay", std::vector<uint8_t>{'8', '9', ' ', '9', '0', '\n'}, "not a replay"},
    };
    for (const Case &Each : Cases) {
        const std::string Path = Temp(std::string("replay-") + Each.Name + ".zbr");
        WriteBytes(Path, Each.Bytes);
        for (const char *Extra : {"", " --trace", " --frames "}) {
            std::string Args = "--replay " + Path + Extra;
            if (std::string(Extra) == " --frames ") {
                Args += Temp("replay-bad-frames");
            }
            const RunResult R = RunSim(Args);
            EXPECT_EQ(R.Status, 2) << Each.Name;
            EXPECT_EQ(R.Out, "") << Each.Name << ": nothing is played";
            EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
            EXPECT_NE(R.Err.find(Each.Says), std::string::npos) << R.Err;
            EXPECT_NE(R.Err.find(Path), std::string::npos) << R.Err;
        }
        std::remove(Path.c_str());
    }
    EXPECT_FALSE(std::filesystem::exists(Temp("replay-bad-frames")));
    const RunResult Missing = RunSim("--replay " + Temp("no-such-replay.zbr"));
    EXPECT_EQ(Missing.Status, 2);
    for (const std::string &Args :
         {"--replay " + Good + " --people 1", "--replay " + Good + " --lineup 0/0,1/0,0/1,1/1",
          "--replay " + Good + " --seed 3", "--replay " + Good + " --record " + Temp("x.zbr"),
          std::string("--replay"), "--ticks 5 --record " + Temp("no/such/folder/x.zbr")}) {
        const RunResult R = RunSim(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
    }
    std::remove(Good.c_str());
}

} // namespace
