// The trace and the checksum walk the match's record through one list of its fields: a field
// added to the record and not to the list fails here, and so does one the trace or the checksum
// would not see change.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <type_traits>
#include <utility>

#include "match/Match.h"
#include "match/Trace.h"
#include "records/MatchFields.h"

namespace {

// Stands for any field in a brace-initialisation of a record; only ever named in unevaluated code.
struct AnyField {
    template <typename T> operator T() const;
};

template <typename T, typename... Fields>
auto Initialisable(int) -> decltype(void(T{std::declval<Fields>()...}), std::true_type{});
template <typename T, typename... Fields> std::false_type Initialisable(...);

// How many initialisers the record takes: its fields, with an array's elements counted one by one.
template <typename T, typename... Fields> constexpr size_t InitialiserCount() {
    if constexpr (decltype(Initialisable<T, Fields..., AnyField>(0))::value) {
        return InitialiserCount<T, Fields..., AnyField>();
    } else {
        return sizeof...(Fields);
    }
}

struct Walked {
    size_t Count = 0;
    size_t Bytes = 0;
    std::set<std::string> Names;
    template <typename Field> void operator()(const char *Name, const Field &Value) {
        Count++;
        Bytes += sizeof Value;
        Names.insert(Name);
    }
};

template <typename Walk> Walked WalkOf(Walk &&Each) {
    Walked Result;
    Each(Result);
    return Result;
}

} // namespace

TEST(MatchFields, TheListHasEveryFieldOfTheRecordOnce) {
    const Typ_Player Player{};
    const Typ_Team Team{};
    const Walked Players = WalkOf([&](Walked &W) { ForEachPlayerField(Player, W); });
    const Walked Teams = WalkOf([&](Walked &W) { ForEachTeamField(Team, W); });
    const Walked Rest = WalkOf([&](Walked &W) { ForEachBallField(Gl_Match, W); });
    EXPECT_EQ(Players.Count, InitialiserCount<Typ_Player>());
    EXPECT_EQ(Teams.Count, InitialiserCount<Typ_Team>());
    EXPECT_EQ(4 + 2 + Rest.Count, InitialiserCount<Typ_Match>()) << "four characters, two sides, the rest";
    EXPECT_EQ(Players.Names.size(), Players.Count) << "no field twice";
    EXPECT_EQ(Teams.Names.size(), Teams.Count);
    EXPECT_EQ(Rest.Names.size(), Rest.Count);
    // Padding aside, the fields fill the records.
    EXPECT_LE(Players.Bytes, sizeof(Typ_Player));
    EXPECT_GT(Players.Bytes + alignof(Typ_Player) * 2, sizeof(Typ_Player));
    EXPECT_EQ(Teams.Bytes, sizeof(Typ_Team));
}

TEST(MatchFields, TheCountingSeesAFieldAddedToARecord) {
    struct Longer {
        Int16 Score;
        Int16 Members;
        Int16 Added;
    };
    struct WithArray {
        Typ_Team Teams[2];
        Int16 One;
    };
    EXPECT_EQ(InitialiserCount<Longer>(), 3u);
    EXPECT_EQ(InitialiserCount<WithArray>(), 3u);
}

// Every field of the record, changed alone, changes both the checksum and the trace line.
TEST(MatchFields, EveryFieldChangesTheChecksumAndTheTrace) {
    ClearGameState();
    StartMatch();
    const uint32_t Checksum = MatchChecksum();
    const std::string Line = TraceLine(1);
    int Changed = 0;
    const auto Nudge = [&](const char *Name, auto &Field) {
        const int64_t Kept = Field;
        Field = Kept == 7 ? 8 : 7;
        EXPECT_NE(MatchChecksum(), Checksum) << Name;
        EXPECT_NE(TraceLine(1), Line) << Name;
        Field = Kept;
        Changed++;
    };
    for (Typ_Player &P : Gl_Players) {
        ForEachPlayerField(P, Nudge);
    }
    for (Typ_Team &T : Gl_Teams) {
        ForEachTeamField(T, Nudge);
    }
    ForEachBallField(Gl_Match, Nudge);
    EXPECT_EQ(MatchChecksum(), Checksum);
    EXPECT_EQ(Changed, 4 * 33 + 2 * 2 + 11);
    ClearGameState();
}

// The menu's choice is no part of a match: restoring a saved match leaves it as it is.
TEST(MatchFields, TheSnapshotLeavesTheMenusChoiceAlone) {
    ClearGameState();
    Gl_PlayerCount = 1;
    Typ_MatchSnapshot Saved;
    SaveMatch(Saved);
    Gl_PlayerCount = 2;
    Gl_BallX = 99;
    RestoreMatch(Saved);
    EXPECT_EQ(Gl_BallX, 0);
    EXPECT_EQ(Gl_PlayerCount, 2);
    ClearGameState();
    EXPECT_EQ(Gl_PlayerCount, 0);
}
