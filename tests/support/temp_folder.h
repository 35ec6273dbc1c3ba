// TempFolder: a fresh folder under /tmp for one test, removed with everything
// in it when the object goes (also when the test failed half-way).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

class TempFolder {
public:
    explicit TempFolder(const std::string& stem) {
        std::string pattern = "/tmp/" + stem + "-XXXXXX";
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
