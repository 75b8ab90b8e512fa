#include "server/StaticFiles.h"

#include <cstring>

namespace StaticFiles {

namespace {

bool EndsWith(const std::string &Text, const char *Tail) {
    const size_t N = std::strlen(Tail);
    return Text.size() >= N && Text.compare(Text.size() - N, N, Tail) == 0;
}

bool PlainChar(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '-' || C == '_' ||
           C == '.' || C == '/';
}

} // namespace

std::string PathFor(const std::string &Root, const std::string &Target) {
    std::string Path = Target.substr(0, Target.find_first_of("?#"));
    if (Root.empty() || Path.empty() || Path[0] != '/' || Path.size() > 256) {
        return {};
    }
    for (size_t I = 0; I < Path.size(); ++I) {
        if (!PlainChar(Path[I])) {
            return {}; // no escapes, spaces or backslashes: the build's files need none
        }
        // No part may start with a dot: neither ".." nor hidden files.
        if (Path[I] == '.' && Path[I - 1] == '/') {
            return {};
        }
        if (Path[I] == '/' && I + 1 < Path.size() && Path[I + 1] == '/') {
            return {};
        }
    }
    if (Path.back() == '/') {
        Path += "index.html";
    }
    return Root + Path;
}

const char *ContentType(const std::string &Path) {
    static const struct {
        const char *Tail, *Type;
    } Types[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".wasm", "application/wasm"},         {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},         {".png", "image/png"},
        {".svg", "image/svg+xml"},             {".ico", "image/x-icon"},
        {".txt", "text/plain; charset=utf-8"}, {".webmanifest", "application/manifest+json"},
    };
    for (const auto &T : Types) {
        if (EndsWith(Path, T.Tail)) {
            return T.Type;
        }
    }
    return "application/octet-stream";
}

const char *CacheControl(const std::string &Path) {
    return EndsWith(Path, ".html") ? "no-cache" : "public, max-age=3600, must-revalidate";
}

} // namespace StaticFiles
