#include "server/Tls.h"

#include <fstream>
#include <openssl/err.h>
#include <openssl/ssl.h>

namespace ssl = boost::asio::ssl;

namespace {

bool Readable(const std::string &Path) {
    std::ifstream In(Path, std::ios::binary);
    return In.good() && In.peek() != std::ifstream::traits_type::eof();
}

// OpenSSL's own words for the last failure, or the library's.
std::string Why(const boost::system::error_code &E) {
    const unsigned long Code = ERR_peek_last_error();
    ERR_clear_error();
    if (Code != 0) {
        char Text[256];
        ERR_error_string_n(Code, Text, sizeof Text);
        return Text;
    }
    return E.message();
}

} // namespace

std::unique_ptr<ssl::context> MakeTlsContext(const std::string &CertFile, const std::string &KeyFile,
                                             std::string &Error) {
    for (const std::string *Path : {&CertFile, &KeyFile}) {
        if (!Readable(*Path)) {
            Error = "cannot read " + std::string(Path == &CertFile ? "the certificate " : "the key ") + *Path;
            return nullptr;
        }
    }
    auto Context = std::make_unique<ssl::context>(ssl::context::tls_server);
    // TLS 1.2 and later only; no renegotiation a stranger could start.
    Context->set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3 |
                         ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | SSL_OP_NO_RENEGOTIATION);
    boost::system::error_code E;
    ERR_clear_error();
    Context->use_certificate_chain_file(CertFile, E);
    if (E) {
        Error = "not a usable certificate (PEM): " + CertFile + " (" + Why(E) + ")";
        return nullptr;
    }
    Context->use_private_key_file(KeyFile, ssl::context::pem, E);
    if (E) {
        Error = "not a usable private key (PEM) for that certificate: " + KeyFile + " (" + Why(E) + ")";
        return nullptr;
    }
    if (SSL_CTX_check_private_key(Context->native_handle()) != 1) {
        Error = "the key " + KeyFile + " does not belong to the certificate " + CertFile;
        ERR_clear_error();
        return nullptr;
    }
    return Context;
}
