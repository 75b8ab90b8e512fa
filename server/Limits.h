// What one source address may do: how many connections it holds, how many messages a second it
// sends, and how many wrong room codes a minute it tries. The server faces strangers: whatever a
// client does, these tables stay bounded (an address is forgotten when it holds no connection and
// has nothing left to count).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

class AddressLimits {
  public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        int ConnectionsPerAddress = 8;
        double MessagesPerSecond = 200; // per connection; an address may send its connections' worth
        double Burst = 400;
        int WrongCodesPerMinute = 10;
    };

    AddressLimits() = default;
    explicit AddressLimits(const Settings &Chosen) : Limits(Chosen) {}

    // A new connection from Address, if the address holds fewer than its share.
    bool Admit(const std::string &Address);
    void Release(const std::string &Address);
    // One message from Address now, if its bucket has a token left.
    bool AllowMessage(const std::string &Address, Clock::time_point Now);
    // Records a wrong room code; false once the address has had its share this minute (the code is
    // then not even looked up).
    bool MayTryCode(const std::string &Address, Clock::time_point Now) const;
    void WrongCode(const std::string &Address, Clock::time_point Now);
    size_t AddressesKnown() const { return Known.size(); }

  private:
    struct Record {
        int Connections = 0;
        double Tokens = 0;
        Clock::time_point Refilled;
        int WrongCodes = 0;
        Clock::time_point WrongSince;
    };
    Settings Limits;
    std::unordered_map<std::string, Record> Known;
};
