#include "file_identity.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

namespace vrelhost {
namespace {

// The real path of the folder, then the name; the path as given when the
// folder cannot be resolved.
std::string resolved(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real)) return path;
    return std::string(real) + "/" + name;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    const bool hasA = ::stat(a.c_str(), &sa) == 0, hasB = ::stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (hasA != hasB) return false;
    return resolved(a) == resolved(b);
}

}  // namespace vrelhost
