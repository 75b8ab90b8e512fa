// The connections the game's windows open, whatever carries them on this target: on the desktop
// ENet, directly to the other machine or to a server; in the page a WebSocket to a server, and
// nothing direct (a page has no UDP).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/Transport.h"

// Listens for a guest (Hosting) or connects to a host. Null, with a reason, when it cannot.
std::unique_ptr<Transport> OpenDirectLink(bool Hosting, const std::string &Address, uint16_t Port,
                                          std::string &Error);
// Connects to a server, whose first Connected peer is the server. Secure: over TLS, where the
// target has a choice.
std::unique_ptr<Transport> OpenServerLink(const std::string &Address, uint16_t Port, bool Secure,
                                          std::string &Error);
