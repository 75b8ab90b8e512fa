#include "server/ReplayShelf.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr const char *Extension = ".zbr";

std::string DateText(int64_t Date) {
    const std::time_t T = std::time_t(Date);
    std::tm Utc{};
    gmtime_r(&T, &Utc);
    char Text[32];
    std::strftime(Text, sizeof Text, "%Y-%m-%dT%H:%M:%SZ", &Utc);
    return Text;
}

} // namespace

ReplayShelf::ReplayShelf(const Settings &Chosen) : Chosen(Chosen), Random(std::random_device{}()) {}

bool ReplayShelf::ValidId(const std::string &Id) {
    return Id.size() == 16 && std::all_of(Id.begin(), Id.end(), [](char C) {
               return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f');
           });
}

ReplayShelf::Entry ReplayShelf::EntryOf(const std::string &Id, const Typ_Replay &Replay, uint64_t Size) {
    Entry E;
    E.Id = Id;
    E.Date = Replay.Date;
    std::copy(Replay.Sides, Replay.Sides + 4, E.Sides);
    std::copy(Replay.Slots, Replay.Slots + 4, E.Slots);
    E.Score[0] = Replay.Score[0];
    E.Score[1] = Replay.Score[1];
    E.Won = Replay.Won;
    E.Ticks = Replay.Ticks;
    E.Size = Size;
    return E;
}

bool ReplayShelf::Open(std::string &Error) {
    std::error_code E;
    fs::create_directories(Chosen.Dir, E);
    if (E || !fs::is_directory(Chosen.Dir)) {
        Error = "cannot make the folder for replays " + Chosen.Dir + (E ? " (" + E.message() + ")" : "");
        return false;
    }
    std::vector<Entry> Found;
    for (const auto &File : fs::directory_iterator(Chosen.Dir, E)) {
        const std::string Name = File.path().filename().string();
        if (!File.is_regular_file() || Name.size() != 16 + 4 || Name.substr(16) != Extension ||
            !ValidId(Name.substr(0, 16))) {
            continue;
        }
        Typ_Replay Replay;
        if (ReadReplayFile(File.path().string(), Replay).Problem == ReplayProblem::None) {
            Found.push_back(EntryOf(Name.substr(0, 16), Replay, File.file_size()));
        }
    }
    if (E) {
        Error = "cannot read the folder for replays " + Chosen.Dir + " (" + E.message() + ")";
        return false;
    }
    std::sort(Found.begin(), Found.end(), [](const Entry &A, const Entry &B) {
        return A.Date != B.Date ? A.Date < B.Date : A.Id < B.Id;
    });
    for (Entry &Each : Found) {
        Total += Each.Size;
        Kept.push_back(std::move(Each));
    }
    Prune();
    return true;
}

std::string ReplayShelf::Keep(const std::vector<uint8_t> &File, const Typ_Replay &Replay,
                              std::string &Error) {
    std::string Id;
    do {
        char Text[17];
        std::snprintf(Text, sizeof Text, "%016llx", static_cast<unsigned long long>(Random()));
        Id = Text;
    } while (!PathOf(Id).empty());
    const fs::path Path = fs::path(Chosen.Dir) / (Id + Extension);
    const fs::path Partial = fs::path(Chosen.Dir) / (Id + ".part");
    {
        std::ofstream Out(Partial, std::ios::binary);
        Out.write(reinterpret_cast<const char *>(File.data()), std::streamsize(File.size()));
        if (!Out.good()) {
            Error = "cannot write " + Partial.string();
            Out.close();
            std::error_code Ignored;
            fs::remove(Partial, Ignored);
            return "";
        }
    }
    // Whole or not at all: a reader never finds half a file under a kept id.
    std::error_code E;
    fs::rename(Partial, Path, E);
    if (E) {
        Error = "cannot write " + Path.string() + " (" + E.message() + ")";
        fs::remove(Partial, E);
        return "";
    }
    Kept.push_back(EntryOf(Id, Replay, File.size()));
    Total += File.size();
    Prune();
    return Id;
}

void ReplayShelf::Prune() {
    while (!Kept.empty() && (Kept.size() > Chosen.MaxCount || Total > Chosen.MaxBytes)) {
        std::error_code Ignored;
        fs::remove(fs::path(Chosen.Dir) / (Kept.front().Id + Extension), Ignored);
        Total -= Kept.front().Size;
        Kept.pop_front();
    }
}

std::string ReplayShelf::List(size_t Most) const {
    std::string Out = "[";
    size_t Listed = 0;
    for (auto It = Kept.rbegin(); It != Kept.rend() && Listed < Most; ++It, ++Listed) {
        const Entry &E = *It;
        Out += Listed == 0 ? "\n" : ",\n";
        Out += "{\"id\":\"" + E.Id + "\",\"date\":\"" + DateText(E.Date) + "\",\"lineup\":[";
        for (int C = 0; C < 4; ++C) {
            Out += std::string(C == 0 ? "" : ",") + "{\"character\":" + std::to_string(C) + ",\"side\":\"" +
                   (E.Sides[C] == 0 ? "left" : "right") + "\",\"slot\":" + std::to_string(E.Slots[C]) + "}";
        }
        Out += "],\"score\":[" + std::to_string(E.Score[0]) + "," + std::to_string(E.Score[1]) +
               "],\"won\":" + (E.Won ? "true" : "false") + ",\"ticks\":" + std::to_string(E.Ticks) + "}";
    }
    return Out + (Listed == 0 ? "]\n" : "\n]\n");
}

std::string ReplayShelf::PathOf(const std::string &Id) const {
    if (!ValidId(Id)) {
        return "";
    }
    for (const Entry &E : Kept) {
        if (E.Id == Id) {
            return (fs::path(Chosen.Dir) / (Id + Extension)).string();
        }
    }
    return "";
}
