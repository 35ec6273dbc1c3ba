// The page's files (HTML, CSS, JavaScript), built into the program from
// host/web/page/ so the view needs nothing beside the executable.
#pragma once

#include <cstddef>

namespace vrelhost {

struct PageFile {
    const char* path;  // "/", "/view.js", ...
    const char* type;  // the Content-Type
    const unsigned char* data;
    std::size_t size;
};

extern const PageFile pageFiles[];
extern const std::size_t pageFileCount;

}  // namespace vrelhost
