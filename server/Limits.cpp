#include "server/Limits.h"

#include <algorithm>

namespace {

constexpr auto CodeWindow = std::chrono::minutes(1);

} // namespace

bool AddressLimits::Admit(const std::string &Address) {
    Record &R = Known[Address];
    if (R.Connections >= Limits.ConnectionsPerAddress) {
        if (R.Connections == 0 && R.WrongCodes == 0) {
            Known.erase(Address);
        }
        return false;
    }
    R.Connections++;
    return true;
}

void AddressLimits::Release(const std::string &Address) {
    auto It = Known.find(Address);
    if (It == Known.end()) {
        return;
    }
    It->second.Connections = std::max(0, It->second.Connections - 1);
    // Wrong codes are remembered for their minute even when the address reconnects at once.
    if (It->second.Connections == 0 && (It->second.WrongCodes == 0 ||
                                         Clock::now() - It->second.WrongSince >= CodeWindow)) {
        Known.erase(It);
    }
}

bool AddressLimits::MayTryCode(const std::string &Address, Clock::time_point Now) const {
    auto It = Known.find(Address);
    if (It == Known.end() || Now - It->second.WrongSince >= CodeWindow) {
        return true;
    }
    return It->second.WrongCodes < Limits.WrongCodesPerMinute;
}

void AddressLimits::WrongCode(const std::string &Address, Clock::time_point Now) {
    Record &R = Known[Address];
    if (R.WrongCodes == 0 || Now - R.WrongSince >= CodeWindow) {
        R.WrongCodes = 0;
        R.WrongSince = Now;
    }
    R.WrongCodes++;
}

bool MessageBucket::Take(Clock::time_point Now) {
    if (Refilled != Clock::time_point::min() && Now > Refilled) {
        Tokens = std::min(Burst, Tokens + std::chrono::duration<double>(Now - Refilled).count() * PerSecond);
    }
    if (Refilled == Clock::time_point::min() || Now > Refilled) {
        Refilled = Now;
    }
    if (Tokens < 1) {
        return false;
    }
    Tokens -= 1;
    return true;
}
