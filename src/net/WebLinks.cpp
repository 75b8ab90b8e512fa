#include "net/Links.h"
#include "net/WebSocketTransport.h"

std::unique_ptr<Transport> OpenDirectLink(bool, const std::string &, uint16_t, std::string &Error) {
    Error = "a page plays online only through a server";
    return nullptr;
}

std::unique_ptr<Transport> OpenServerLink(const std::string &Address, uint16_t Port, bool Secure,
                                          std::string &Error) {
    // An address with a colon is IPv6, written in brackets in a URL.
    const std::string Host = Address.find(':') != std::string::npos ? "[" + Address + "]" : Address;
    const std::string Url =
        std::string(Secure ? "wss://" : "ws://") + Host + ":" + std::to_string(Port) + "/";
    return WebSocketTransport::Connect(Url, Error);
}
