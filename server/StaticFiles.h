// The files of the browser build, served from one folder: which file a request names (never one
// outside the folder), its content type and how long a browser may keep it.
#pragma once

#include <string>

namespace StaticFiles {

// The file under Root that Target (a request's target) names, or empty when the target is not a
// plain path inside the folder: no "..", no hidden files, no escapes, no backslashes.
std::string PathFor(const std::string &Root, const std::string &Target);
const char *ContentType(const std::string &Path);
// The page itself is checked on every visit, so a new build reaches players at once; the rest is
// kept briefly and revalidated by its tag.
const char *CacheControl(const std::string &Path);

} // namespace StaticFiles
