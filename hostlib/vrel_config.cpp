#include "vrel_config.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// Plain file descriptors: unlike a stream or a FILE, they need no buffer of
// their own from the heap.
#ifdef _WIN32
int openForReading(const char* path) { return ::_open(path, _O_RDONLY | _O_BINARY); }
long readSome(int fd, char* into, unsigned size) { return ::_read(fd, into, size); }
void closeFile(int fd) { ::_close(fd); }
#else
int openForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }
long readSome(int fd, char* into, unsigned size) { return static_cast<long>(::read(fd, into, size)); }
void closeFile(int fd) { ::close(fd); }
#endif

constexpr std::string_view blanks = " \t\r\n";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

constexpr std::string_view defaultFolder = "config";

// VREL_CONFIG_DIR, or "config" when it is unset or empty; held in `local`
// when it fits, else in `spilled`.
std::string_view configFolder(char* local, std::size_t size, std::string& spilled) {
#ifdef _WIN32
    // The process's environment as it is now. msvcrt's getenv() reads a copy
    // taken when msvcrt.dll started, which misses a value the host set since
    // (SetEnvironmentVariable, or its own C runtime's _putenv).
    const char* const name = "VREL_CONFIG_DIR";
    DWORD length = GetEnvironmentVariableA(name, local, static_cast<DWORD>(size));
    if (length < size) return length ? std::string_view(local, length) : defaultFolder;
    spilled.resize(length);  // too long for `local`: `length` counts the NUL too
    length = GetEnvironmentVariableA(name, spilled.data(), length);
    spilled.resize(length < spilled.size() ? length : 0);
    return spilled.empty() ? defaultFolder : std::string_view(spilled);
#else
    (void)local;
    (void)size;
    (void)spilled;
    const char* dir = std::getenv("VREL_CONFIG_DIR");
    return (dir && *dir) ? std::string_view(dir) : defaultFolder;
#endif
}

// Room for a configuration folder on the stack.
constexpr std::size_t folderCapacity = 512;

// Lines up to this long are gathered on the stack; a longer one (never seen in
// a real site file, but not refused) moves into a string.
constexpr std::size_t lineCapacity = 512;

// One line of the file as it is gathered from the read buffer.
class LineBuffer {
public:
    void add(const char* bytes, std::size_t n) {
        if (!spilled_ && length_ + n <= lineCapacity) {
            std::memcpy(local_ + length_, bytes, n);
            length_ += n;
            return;
        }
        if (!spilled_) {
            spill_.assign(local_, length_);
            spilled_ = true;
        }
        spill_.append(bytes, n);
    }
    std::string_view view() const { return spilled_ ? std::string_view(spill_) : std::string_view(local_, length_); }
    void clear() {
        length_ = 0;
        spilled_ = false;
        spill_.clear();
    }

private:
    char local_[lineCapacity];
    std::size_t length_ = 0;
    bool spilled_ = false;
    std::string spill_;
};

}  // namespace

std::string vrel_config::directory() {
    char local[folderCapacity];
    std::string spilled;
    return std::string(configFolder(local, sizeof local, spilled));
}

vrel_config::vrel_config(const char* entry) {
    const std::string_view name = entry ? entry : "";
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0) return;

    // "{folder}/{file}.ini", on the stack when it fits (it always does for a
    // real path), else in a string.
    char folderLocal[folderCapacity];
    std::string folderSpilled;
    const std::string_view folder = configFolder(folderLocal, sizeof folderLocal, folderSpilled);
    const std::string_view file = name.substr(0, dot);
    char local[1024];
    std::string spilled;
    const char* path = local;
    const std::size_t length = folder.size() + 1 + file.size() + 4;
    if (length < sizeof local) {
        std::memcpy(local, folder.data(), folder.size());
        local[folder.size()] = '/';
        std::memcpy(local + folder.size() + 1, file.data(), file.size());
        std::memcpy(local + folder.size() + 1 + file.size(), ".ini", 5);
    } else {
        spilled.append(folder).append("/").append(file).append(".ini");
        path = spilled.c_str();
    }

    const int fd = openForReading(path);
    if (fd < 0) return;
    readSection(fd, name.substr(dot + 1));
    closeFile(fd);
}

void vrel_config::readSection(int fd, std::string_view section) {
    char chunk[4096];
    LineBuffer line;
    bool inSection = false;
    bool first = true;
    for (;;) {
        const long got = readSome(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the end, or an unreadable file: keep what was read
        const char* at = chunk;
        const char* end = chunk + got;
        while (at < end) {
            const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            const char* stop = newline ? newline : end;
            line.add(at, static_cast<std::size_t>(stop - at));
            at = newline ? newline + 1 : end;
            if (!newline) break;
            std::string_view text = line.view();
            // Editors on Windows may save a UTF-8 byte-order mark: without this
            // the first section header would not be recognised.
            if (first && text.substr(0, byteOrderMark.size()) == byteOrderMark) text.remove_prefix(byteOrderMark.size());
            first = false;
            keepLine(text, inSection, section);
            line.clear();
        }
    }
    std::string_view last = line.view();  // a last line without a line end
    if (!last.empty()) {
        if (first && last.substr(0, byteOrderMark.size()) == byteOrderMark) last.remove_prefix(byteOrderMark.size());
        keepLine(last, inSection, section);
    }
}

void vrel_config::keepLine(std::string_view raw, bool& inSection, std::string_view section) {
    const std::string_view line = trimmed(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') return;
    if (line.front() == '[') {
        inSection = line.size() >= 2 && line.back() == ']' && trimmed(line.substr(1, line.size() - 2)) == section;
        return;
    }
    if (!inSection) return;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = trimmed(line.substr(0, eq));
    // The first definition of a key wins, as in most INI readers.
    if (find(key)) return;
    keys_.append(key).append("=").append(trimmed(line.substr(eq + 1))).append("\n");
}

const char* vrel_config::find(std::string_view key, std::size_t* length) const {
    for (std::size_t at = 0; at < keys_.size();) {
        const std::size_t eq = keys_.find('=', at);  // the key never holds one
        const std::size_t end = keys_.find('\n', eq);
        if (std::string_view(keys_).substr(at, eq - at) == key) {
            if (length) *length = end - eq - 1;
            return keys_.data() + eq + 1;
        }
        at = end + 1;
    }
    return nullptr;
}

vrel_string vrel_config::attr(const vrel_string& name) const {
    std::size_t length = 0;
    const char* value = find(name.str(), &length);
    return value ? vrel_string(std::string(value, length)) : vrel_string();
}
