// The kept matches without a network: files put together from their pieces, in order only, from a
// build the room announced; the first of the two players' files kept; the count and the bytes bounded,
// oldest out first; what is in the folder taken up again; ids that are not ids never become paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "net/ReplayUpload.h"
#include "server/ReplayIntake.h"
#include "server/ReplayShelf.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
    Folder() : Path(fs::temp_directory_path() / ("zorbump-shelf-" + std::to_string(::getpid()))) {
        fs::remove_all(Path);
    }
    ~Folder() { fs::remove_all(Path); }
    fs::path Path;
};

Typ_Replay Match(int64_t Date, uint32_t Ticks, uint32_t Fingerprint = 77) {
    Typ_Replay R;
    R.Fingerprint = Fingerprint;
    R.Origin = ReplayOrigin::Server;
    R.People[0] = 0;
    R.People[1] = 2;
    R.Date = Date;
    R.Ticks = Ticks;
    R.Score[0] = 15;
    R.Score[1] = int(Ticks % 15);
    R.Won = true;
    for (uint32_t T = 0; T < Ticks; ++T) {
        R.Inputs[0].push_back(PadInput(T * 7 % 32));
        R.Inputs[1].push_back(PadInput(T * 13 % 32));
    }
    return R;
}

void Send(ReplayIntake &In, PlayerId From, uint32_t Session, uint16_t Screen, const Typ_Replay &R,
          uint32_t Fingerprint = 77) {
    for (const auto &Piece : ReplayUpload::Cut(Session, Screen, EncodeReplay(R))) {
        In.Piece(From, Session, Fingerprint, Piece.data(), Piece.size());
    }
}

TEST(ReplayShelfTest, PiecesMakeAFileKeptOncePerMatchFromTheRightBuildOnly) {
    Folder F;
    ReplayShelf Shelf({F.Path.string(), 10, 1 << 20});
    std::string Error;
    ASSERT_TRUE(Shelf.Open(Error)) << Error;
    Metrics Counts;
    ReplayIntake In(Shelf, Counts, nullptr);
    const Typ_Replay Long = Match(1000, 3000);
    ASSERT_GT(EncodeReplay(Long).size(), 1000u) << "several pieces";
    // Both players send the same match: one file kept.
    Send(In, 1, 5, 1, Long);
    Send(In, 2, 5, 1, Long);
    EXPECT_EQ(Shelf.Count(), 1u);
    // The next match of the room is another file.
    Send(In, 2, 5, 3, Match(1001, 50));
    EXPECT_EQ(Shelf.Count(), 2u);
    // Another build than the room's, a replay not played through a server, pieces out of order or
    // of another session: nothing kept, nothing left waiting.
    Send(In, 3, 6, 1, Match(1002, 50, 99));
    Typ_Replay Local = Match(1003, 50);
    Local.Origin = ReplayOrigin::Game;
    Send(In, 3, 6, 1, Local);
    auto Pieces = ReplayUpload::Cut(7, 1, EncodeReplay(Long));
    std::swap(Pieces[0], Pieces[1]);
    for (const auto &P : Pieces) {
        In.Piece(4, 7, 77, P.data(), P.size());
    }
    const auto Stray = ReplayUpload::Cut(8, 1, EncodeReplay(Long));
    In.Piece(4, 9, 77, Stray[0].data(), Stray[0].size());
    EXPECT_EQ(Shelf.Count(), 2u);
    EXPECT_GE(Counts.Refusals["replay"], 4u);
    // A file cut short by the room's end is forgotten.
    In.Piece(5, 8, 77, Stray[0].data(), Stray[0].size());
    EXPECT_EQ(In.Pending(), 1u);
    In.RoomEnded(8);
    EXPECT_EQ(In.Pending(), 0u);
    // Corrupted bytes inside a well-formed piece: the file's checksum refuses it.
    auto Bad = ReplayUpload::Cut(10, 1, EncodeReplay(Match(1004, 50)));
    Bad[0][ReplayUpload::HeaderSize + 30] ^= 0x10;
    In.Piece(6, 10, 77, Bad[0].data(), Bad[0].size());
    EXPECT_EQ(Shelf.Count(), 2u);
    // The kept file is the very file sent.
    const std::string Listed = Shelf.List();
    const std::string Id = Listed.substr(Listed.find("\"id\":\"") + 6, 16);
    std::ifstream Kept(Shelf.PathOf(Id), std::ios::binary);
    const std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(Kept)),
                                     std::istreambuf_iterator<char>());
    EXPECT_EQ(Bytes, EncodeReplay(Match(1001, 50)));
}

TEST(ReplayShelfTest, UnfinishedFilesHoldBoundedMemory) {
    Folder F;
    ReplayShelf Shelf({F.Path.string(), 10, 1 << 20});
    std::string Error;
    ASSERT_TRUE(Shelf.Open(Error)) << Error;
    Metrics Counts;
    ReplayIntake In(Shelf, Counts, nullptr);
    // Strangers each begin the largest file and never finish it.
    const auto First = ReplayUpload::Cut(1, 1, std::vector<uint8_t>(ReplayUpload::MaxFileSize, 1))[0];
    const size_t Room = ReplayIntake::MaxPendingBytes / ReplayUpload::MaxFileSize;
    for (PlayerId Who = 1; Who <= Room + 10; ++Who) {
        In.Piece(Who, 1, 77, First.data(), First.size());
    }
    EXPECT_EQ(In.Pending(), Room);
    EXPECT_EQ(Counts.Refusals["replay_busy"], 10u);
    // Their room ends: the memory is free again, and a real match is kept.
    In.RoomEnded(1);
    EXPECT_EQ(In.Pending(), 0u);
    Send(In, 1, 2, 1, Match(5, 100));
    EXPECT_EQ(Shelf.Count(), 1u);
}

TEST(ReplayShelfTest, CountAndBytesAreBoundedOldestOutFirstAndAFolderIsTakenUpAgain) {
    Folder F;
    const size_t One = EncodeReplay(Match(0, 400)).size();
    {
        ReplayShelf Shelf({F.Path.string(), 3, 1 << 20});
        std::string Error;
        ASSERT_TRUE(Shelf.Open(Error)) << Error;
        for (int I = 0; I < 5; ++I) {
            EXPECT_FALSE(Shelf.Keep(EncodeReplay(Match(100 + I, 400)), Match(100 + I, 400), Error).empty());
        }
        EXPECT_EQ(Shelf.Count(), 3u);
        const std::string Listed = Shelf.List();
        // The most recent first, the two oldest gone, from the list and from the folder.
        EXPECT_LT(Listed.find("1970-01-01T00:01:44Z"), Listed.find("1970-01-01T00:01:42Z"));
        EXPECT_EQ(Listed.find("1970-01-01T00:01:41Z"), std::string::npos);
        EXPECT_NE(Listed.find("\"score\":[15,10]"), std::string::npos);
        EXPECT_EQ(size_t(std::distance(fs::directory_iterator(F.Path), fs::directory_iterator())), 3u);
    }
    std::ofstream(F.Path / "notes.txt") << "left alone";
    std::ofstream(F.Path / "0123456789abcdef.zbr") << "not a replay";
    // Started again with room for two files' bytes: the newest two stay.
    ReplayShelf Again({F.Path.string(), 1000, 2 * One + One / 2});
    std::string Error;
    ASSERT_TRUE(Again.Open(Error)) << Error;
    EXPECT_EQ(Again.Count(), 2u);
    EXPECT_LE(Again.Bytes(), 2 * One + One / 2);
    EXPECT_NE(Again.List().find("00:01:44Z"), std::string::npos);
    EXPECT_EQ(Again.List().find("00:01:42Z"), std::string::npos);
    EXPECT_TRUE(fs::exists(F.Path / "notes.txt"));
    EXPECT_TRUE(Again.PathOf("0123456789abcdef").empty());
}

TEST(ReplayShelfTest, OnlySixteenHexDigitsAreAnId) {
    for (const char *Bad :
         {"", "0123456789ABCDEF", "0123456789abcde", "0123456789abcdef0", "../../etc/passwd",
          "0123456789abcde/", "0123456789abcdeg", "%2e%2e%2f456789ab"}) {
        EXPECT_FALSE(ReplayShelf::ValidId(Bad)) << Bad;
    }
    EXPECT_TRUE(ReplayShelf::ValidId("0123456789abcdef"));
    // A piece that claims more than it holds, or lies past its file, is not a piece.
    auto Piece = ReplayUpload::Cut(1, 1, std::vector<uint8_t>(100, 7))[0];
    ReplayUpload::Piece P;
    EXPECT_TRUE(ReplayUpload::Read(Piece.data(), Piece.size(), P));
    Piece[10] = 200; // offset beyond the whole
    EXPECT_FALSE(ReplayUpload::Read(Piece.data(), Piece.size(), P));
    EXPECT_TRUE(ReplayUpload::Cut(1, 1, std::vector<uint8_t>(ReplayUpload::MaxFileSize + 1)).empty());
}

} // namespace
