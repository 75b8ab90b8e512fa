// What one source address may do: how many connections it holds and how many wrong room codes a
// minute it tries; and what one connection may send (a bucket of messages, so that an address
// gets at most its connections' worth, and a flood on one connection leaves the others alone). The server faces strangers: whatever a
// client does, these tables stay bounded (an address is forgotten when it holds no connection and
// has nothing left to count).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

// Messages one connection may send: a steady rate and a burst above it.
class MessageBucket {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr double PerSecond = 200; // the game sends about 60 a second in a match
    static constexpr double Burst = 400;
    bool Take(Clock::time_point Now);

  private:
    double Tokens = Burst;
    Clock::time_point Refilled = Clock::time_point::min();
};

class AddressLimits {
  public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        int ConnectionsPerAddress = 8;
        int WrongCodesPerMinute = 10;
    };

    AddressLimits() = default;
    explicit AddressLimits(const Settings &Chosen) : Limits(Chosen) {}

    // A new connection from Address, if the address holds fewer than its share.
    bool Admit(const std::string &Address);
    void Release(const std::string &Address);
    // Records a wrong room code; false once the address has had its share this minute (the code is
    // then not even looked up).
    bool MayTryCode(const std::string &Address, Clock::time_point Now) const;
    void WrongCode(const std::string &Address, Clock::time_point Now);
    size_t AddressesKnown() const { return Known.size(); }

  private:
    struct Record {
        int Connections = 0;
        int WrongCodes = 0;
        Clock::time_point WrongSince;
    };
    Settings Limits;
    std::unordered_map<std::string, Record> Known;
};
