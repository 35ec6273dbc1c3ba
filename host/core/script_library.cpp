#include "script_library.h"

#include <dlfcn.h>

#include "user_file.h"

namespace vrelhost {

std::unique_ptr<ScriptLibrary> ScriptLibrary::open(const std::string& path, std::string& error) {
    // A name without a slash would be searched on the library path; the host
    // means the file it was given.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    // Looked at first: loading a FIFO would wait for a writer that never comes.
    std::string problem;
    if (!isReadableFile(file, problem)) {
        error = "cannot load script library " + path + ": " + problem;
        return nullptr;
    }
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load script library " + path + ": " + (why ? why : "unknown reason");
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(handle, "load_vrel_client_script");
    if (!symbol) {
        dlclose(handle);
        error = "script library " + path + " does not export load_vrel_client_script";
        return nullptr;
    }
    Entry entry = reinterpret_cast<Entry>(symbol);
    return std::unique_ptr<ScriptLibrary>(new ScriptLibrary(handle, entry, path));
}

ScriptLibrary::~ScriptLibrary() { dlclose(handle_); }

}  // namespace vrelhost
