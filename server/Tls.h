// The server's certificate and key, for HTTPS and wss:// on its TCP port. Read once at start: a
// certificate or key that cannot be read or used, or that do not belong together, stops the
// server before it listens, with one line saying which file and why.
#pragma once

#include <boost/asio/ssl/context.hpp>
#include <memory>
#include <string>

// The context every TLS connection of the server shares; null with Error set when the files will
// not do.
std::unique_ptr<boost::asio::ssl::context> MakeTlsContext(const std::string &CertFile,
                                                          const std::string &KeyFile, std::string &Error);
