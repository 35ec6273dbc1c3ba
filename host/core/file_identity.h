// Whether two paths name one file, so that a tool never reads and writes, or
// writes twice, the same file under two names: an existing file is known by
// its device and inode (links, "./x", "../d/x" all match), a file not made
// yet by its folder's real path and its name.
#pragma once

#include <string>

namespace vrelhost {

bool sameFile(const std::string& a, const std::string& b);

}  // namespace vrelhost
