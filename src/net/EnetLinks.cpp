#include "net/EnetTransport.h"
#include "net/Links.h"

std::unique_ptr<Transport> OpenDirectLink(bool Hosting, const std::string &Address, uint16_t Port,
                                          std::string &Error) {
    return Hosting ? EnetTransport::Listen(Port, Error) : EnetTransport::Connect(Address, Port, Error);
}

// ENet is the game's own datagrams either way: a server's UDP port carries them unencrypted.
std::unique_ptr<Transport> OpenServerLink(const std::string &Address, uint16_t Port, bool,
                                          std::string &Error) {
    return EnetTransport::Connect(Address, Port, Error);
}
