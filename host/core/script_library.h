// ScriptLibrary: a script component loaded as the panel host loads it, with
// dlopen (RTLD_NOW | RTLD_LOCAL), and its one entry load_vrel_client_script.
//
// The library stays loaded while the object lives; every script created from
// it must be destroyed first. One thread.
#pragma once

#include <memory>
#include <string>

#include "runtime/boundary/vrel_script_entry.h"

namespace vrelhost {

class ScriptLibrary {
public:
    // Creates a script for `host` with the creation text; the caller owns the
    // result (null when the library could not create one).
    using Entry = vrel_script_entry;

    // The loaded library, or null with `error` saying why (no such file, not a
    // library, no entry).
    static std::unique_ptr<ScriptLibrary> open(const std::string& path, std::string& error);
    ~ScriptLibrary();
    ScriptLibrary(const ScriptLibrary&) = delete;
    ScriptLibrary& operator=(const ScriptLibrary&) = delete;

    Entry entry() const { return entry_; }
    const std::string& path() const { return path_; }

private:
    ScriptLibrary(void* handle, Entry entry, std::string path) : handle_(handle), entry_(entry), path_(std::move(path)) {}
    void* handle_;
    Entry entry_;
    std::string path_;
};

}  // namespace vrelhost
