#include "replay/ReplayFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/Crc32.h"

namespace {

constexpr uint8_t Magic[4] = {'Z', 'B', 'R', 'P'};
constexpr size_t HeaderBytes = 53;
constexpr size_t ChecksumBytes = 4;
constexpr uint8_t NoPerson = 255;
constexpr int ControlBits = 5;
constexpr PadInput ControlMask = (1 << ControlBits) - 1;
constexpr uint8_t SeededFlag = 1, WonFlag = 2;

void PutLittle(std::vector<uint8_t> &Out, uint64_t Value, int Bytes) {
    for (int Byte = 0; Byte < Bytes; ++Byte) {
        Out.push_back(uint8_t(Value >> (8 * Byte)));
    }
}

void PutRun(std::vector<uint8_t> &Out, uint32_t Ticks, PadInput Controls) {
    uint64_t Value = (uint64_t(Ticks - 1) << ControlBits) | (Controls & ControlMask);
    do {
        const uint8_t Low = uint8_t(Value & 0x7F);
        Value >>= 7;
        Out.push_back(Value != 0 ? uint8_t(Low | 0x80) : Low);
    } while (Value != 0);
}

// One person's controls as runs of equal ticks: a person holds the same keys for many ticks.
std::vector<uint8_t> Runs(const std::vector<PadInput> &Inputs) {
    std::vector<uint8_t> Out;
    size_t Start = 0;
    while (Start < Inputs.size()) {
        size_t End = Start + 1;
        const PadInput Controls = Inputs[Start] & ControlMask;
        while (End < Inputs.size() && (Inputs[End] & ControlMask) == Controls) {
            ++End;
        }
        PutRun(Out, uint32_t(End - Start), Controls);
        Start = End;
    }
    return Out;
}

// Reads the bytes in order and remembers whether it ever ran past the end.
struct Reader {
    const std::vector<uint8_t> &Bytes;
    size_t At;
    size_t End;
    bool Short = false;

    uint64_t Little(int Count) {
        if (End - At < size_t(Count)) {
            Short = true;
            At = End;
            return 0;
        }
        uint64_t Value = 0;
        for (int Byte = 0; Byte < Count; ++Byte) {
            Value |= uint64_t(Bytes[At++]) << (8 * Byte);
        }
        return Value;
    }
};

ReplayCheck Problem(ReplayProblem What, const std::string &Reason) {
    return ReplayCheck{What, Reason};
}

// A line-up the select screen can make: one to three characters a side, each on a slot of its own.
bool SoundLineup(const int Sides[4], const int Slots[4]) {
    for (int Side = 0; Side < 2; ++Side) {
        int Count = 0;
        for (int I = 0; I < 4; ++I) {
            if (Sides[I] != Side) {
                continue;
            }
            ++Count;
            for (int J = I + 1; J < 4; ++J) {
                if (Sides[J] == Side && Slots[J] == Slots[I]) {
                    return false;
                }
            }
        }
        if (Count < 1 || Count > 3) {
            return false;
        }
    }
    return true;
}

// The runs of one person, which must cover exactly Ticks ticks and end exactly at the stream's end.
bool ReadRuns(Reader &In, size_t StreamEnd, uint32_t Ticks, std::vector<PadInput> &Inputs) {
    Inputs.clear();
    Inputs.reserve(Ticks);
    while (In.At < StreamEnd) {
        uint64_t Value = 0;
        int Shift = 0;
        for (;;) {
            if (In.At >= StreamEnd || Shift > 28) {
                return false; // a number cut off, or longer than any run can need
            }
            const uint8_t Byte = In.Bytes[In.At++];
            Value |= uint64_t(Byte & 0x7F) << Shift;
            Shift += 7;
            if ((Byte & 0x80) == 0) {
                break;
            }
        }
        const uint64_t Length = (Value >> ControlBits) + 1;
        if (Length > Ticks - Inputs.size()) {
            return false;
        }
        Inputs.insert(Inputs.end(), size_t(Length), PadInput(Value & ControlMask));
    }
    return Inputs.size() == Ticks;
}

} // namespace

std::vector<uint8_t> EncodeReplay(const Typ_Replay &Replay) {
    std::vector<uint8_t> Out(Magic, Magic + 4);
    PutLittle(Out, ReplayFormatVersion, 2);
    PutLittle(Out, 0, 4); // the length, once known
    PutLittle(Out, Replay.Fingerprint, 4);
    Out.push_back(uint8_t(Replay.Origin));
    for (int I = 0; I < 4; ++I) {
        Out.push_back(uint8_t(Replay.Sides[I] * 16 + Replay.Slots[I]));
    }
    for (int Person = 0; Person < 2; ++Person) {
        Out.push_back(Replay.People[Person] < 0 ? NoPerson : uint8_t(Replay.People[Person]));
    }
    Out.push_back(uint8_t((Replay.Seeded ? SeededFlag : 0) | (Replay.Won ? WonFlag : 0)));
    PutLittle(Out, Replay.Seed, 8);
    PutLittle(Out, Replay.RandomPosition, 8);
    Out.push_back(uint8_t(Replay.Blink));
    PutLittle(Out, uint64_t(Replay.Date), 8);
    PutLittle(Out, Replay.Ticks, 4);
    Out.push_back(uint8_t(Replay.Score[0]));
    Out.push_back(uint8_t(Replay.Score[1]));
    for (int Person = 0; Person < 2; ++Person) {
        if (Replay.People[Person] < 0) {
            continue;
        }
        std::vector<PadInput> Inputs = Replay.Inputs[Person];
        Inputs.resize(Replay.Ticks, 0);
        const std::vector<uint8_t> Stream = Runs(Inputs);
        PutLittle(Out, Stream.size(), 4);
        Out.insert(Out.end(), Stream.begin(), Stream.end());
    }
    const uint64_t Length = Out.size() + ChecksumBytes;
    for (int Byte = 0; Byte < 4; ++Byte) {
        Out[6 + size_t(Byte)] = uint8_t(Length >> (8 * Byte));
    }
    PutLittle(Out, Crc32(Out.data(), Out.size()), 4);
    return Out;
}

ReplayCheck DecodeReplay(const std::vector<uint8_t> &Bytes, Typ_Replay &Replay) {
    if (Bytes.size() < 4 || std::memcmp(Bytes.data(), Magic, 4) != 0) {
        return Problem(ReplayProblem::NotReplay, "not a replay file");
    }
    Reader In{Bytes, 4, Bytes.size()};
    const uint64_t Version = In.Little(2);
    if (In.Short) {
        return Problem(ReplayProblem::Truncated, "the file is cut short");
    }
    if (Version != ReplayFormatVersion) {
        return Problem(ReplayProblem::OtherVersion, "a replay of format version " + std::to_string(Version) +
                                                        "; this build reads version " +
                                                        std::to_string(ReplayFormatVersion));
    }
    const uint64_t Length = In.Little(4);
    if (In.Short || Bytes.size() < HeaderBytes + ChecksumBytes || Length > Bytes.size()) {
        return Problem(ReplayProblem::Truncated, "the file is cut short");
    }
    if (Length < Bytes.size()) {
        return Problem(ReplayProblem::TooLong, "the file goes on past the replay's end");
    }
    In.End = Bytes.size() - ChecksumBytes;
    const uint32_t Stored = uint32_t(Bytes[In.End]) | uint32_t(Bytes[In.End + 1]) << 8 |
                            uint32_t(Bytes[In.End + 2]) << 16 | uint32_t(Bytes[In.End + 3]) << 24;
    if (Crc32(Bytes.data(), In.End) != Stored) {
        return Problem(ReplayProblem::Corrupted, "the file is damaged (its checksum does not match)");
    }
    // From here on a fault is one of the writer's, not of the disk or the network.
    const ReplayCheck Unsound = Problem(ReplayProblem::Malformed, "the file does not hold a sound match");
    Typ_Replay Read;
    Read.Fingerprint = uint32_t(In.Little(4));
    const uint64_t Origin = In.Little(1);
    if (Origin > uint8_t(ReplayOrigin::Server)) {
        return Unsound;
    }
    Read.Origin = ReplayOrigin(Origin);
    for (int I = 0; I < 4; ++I) {
        const uint64_t Place = In.Little(1);
        Read.Sides[I] = int(Place / 16);
        Read.Slots[I] = int(Place % 16);
        if (Read.Sides[I] > 1 || Read.Slots[I] > 2) {
            return Unsound;
        }
    }
    if (!SoundLineup(Read.Sides, Read.Slots)) {
        return Unsound;
    }
    for (int Person = 0; Person < 2; ++Person) {
        const uint64_t Character = In.Little(1);
        if (Character != NoPerson && Character > 3) {
            return Unsound;
        }
        Read.People[Person] = Character == NoPerson ? -1 : int(Character);
    }
    if (Read.People[0] >= 0 && Read.People[0] == Read.People[1]) {
        return Unsound;
    }
    const uint64_t Flags = In.Little(1);
    if ((Flags & ~uint64_t(SeededFlag | WonFlag)) != 0) {
        return Unsound;
    }
    Read.Seeded = (Flags & SeededFlag) != 0;
    Read.Won = (Flags & WonFlag) != 0;
    Read.Seed = In.Little(8);
    Read.RandomPosition = In.Little(8);
    Read.Blink = int(In.Little(1));
    Read.Date = int64_t(In.Little(8));
    const uint64_t Ticks = In.Little(4);
    Read.Score[0] = int(In.Little(1));
    Read.Score[1] = int(In.Little(1));
    if (Read.Blink > 1 || Ticks > ReplayMaxTicks || Read.Score[0] > 15 || Read.Score[1] > 15) {
        return Unsound;
    }
    Read.Ticks = uint32_t(Ticks);
    for (int Person = 0; Person < 2; ++Person) {
        if (Read.People[Person] < 0) {
            continue;
        }
        const uint64_t StreamBytes = In.Little(4);
        if (In.Short || StreamBytes > In.End - In.At ||
            !ReadRuns(In, In.At + size_t(StreamBytes), Read.Ticks, Read.Inputs[Person])) {
            return Unsound;
        }
    }
    if (In.Short || In.At != In.End) {
        return Unsound;
    }
    Replay = std::move(Read);
    return ReplayCheck{};
}

bool WriteReplayFile(const std::string &Path, const Typ_Replay &Replay, std::string &Error) {
    const std::vector<uint8_t> Bytes = EncodeReplay(Replay);
    std::FILE *File = std::fopen(Path.c_str(), "wb");
    if (File == nullptr) {
        Error = std::strerror(errno);
        return false;
    }
    const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
    const int WriteError = errno;
    if (std::fclose(File) != 0 || !Written) {
        Error = std::strerror(Written ? errno : WriteError);
        return false;
    }
    return true;
}

ReplayCheck ReadReplayFile(const std::string &Path, Typ_Replay &Replay) {
    std::FILE *File = std::fopen(Path.c_str(), "rb");
    if (File == nullptr) {
        return Problem(ReplayProblem::Unreadable, std::string("cannot be read: ") + std::strerror(errno));
    }
    // Never more than the largest replay there can be, whatever the file is.
    std::vector<uint8_t> Bytes;
    uint8_t Chunk[65536];
    size_t Got = 0;
    while (Bytes.size() <= ReplayMaxBytes && (Got = std::fread(Chunk, 1, sizeof Chunk, File)) > 0) {
        Bytes.insert(Bytes.end(), Chunk, Chunk + Got);
    }
    const bool Failed = std::ferror(File) != 0;
    std::fclose(File);
    if (Failed) {
        return Problem(ReplayProblem::Unreadable, "cannot be read");
    }
    if (Bytes.size() > ReplayMaxBytes) {
        return Problem(ReplayProblem::TooLong, "the file is larger than any replay");
    }
    return DecodeReplay(Bytes, Replay);
}

std::string ReplayFileName(int64_t Date) {
    const std::time_t When = std::time_t(Date);
    std::tm Parts{};
#ifdef _WIN32
    gmtime_s(&Parts, &When);
#else
    gmtime_r(&When, &Parts);
#endif
    char Name[64];
    std::snprintf(Name, sizeof Name, "zorbump-%04d%02d%02d-%02d%02d%02d.zbr", Parts.tm_year + 1900,
                  Parts.tm_mon + 1, Parts.tm_mday, Parts.tm_hour, Parts.tm_min, Parts.tm_sec);
    return Name;
}

bool KeepReplayInFolder(const std::string &Dir, const Typ_Replay &Replay, std::string &Path,
                        std::string &Error) {
    std::error_code Made;
    std::filesystem::create_directories(Dir, Made);
    if (Made) {
        Error = Made.message();
        return false;
    }
    const std::string Name = ReplayFileName(Replay.Date);
    const std::string Stem = Name.substr(0, Name.size() - 4);
    for (int Copy = 1; Copy < 1000; ++Copy) {
        const std::filesystem::path Candidate =
            std::filesystem::path(Dir) / (Copy == 1 ? Name : Stem + "-" + std::to_string(Copy) + ".zbr");
        std::error_code Looked;
        if (!std::filesystem::exists(Candidate, Looked) && !Looked) {
            Path = Candidate.string();
            return WriteReplayFile(Path, Replay, Error);
        }
    }
    Error = "too many replays of the same second";
    return false;
}
