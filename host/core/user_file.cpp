#include "user_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <streambuf>

namespace vrelhost {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a path that is not an ordinary file is, for the message that refuses it.
std::string notOrdinary(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder";
    const char* what = S_ISCHR(mode)    ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISFIFO(mode) ? "a FIFO (a named pipe)"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "something other than a file";
    return std::string("it is ") + what + ", not an ordinary file";
}

// The first `size` bytes of an ordinary file (fewer when it is shorter).
std::string beginningOf(const std::string& path, std::size_t size) {
    std::string text(size, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return "\x01unreadable";
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, &text[got], size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return text;
}

std::string failed(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string existsMessage(const std::string& path) {
    return "it exists, and is replaced only with --force (to keep both, name another file, such as " +
           freeNameBeside(path) + ")";
}

// The permission bits a new file gets: those of open(..., 0666), which the
// process's umask narrows. umask() can only be read by setting it, and back.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The output of createUserFile: every flush writes through at once, and a
// failed write leaves the stream failed.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
    ~FileBuffer() override {
        drain();
        ::close(fd_);
    }
    FileBuffer(const FileBuffer&) = delete;
    FileBuffer& operator=(const FileBuffer&) = delete;

protected:
    int_type overflow(int_type c) override {
        if (drain() != 0) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain(); }

private:
    int drain() {
        const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer_, buffer_ + sizeof buffer_);
        if (failed_) return -1;
        if (!writeAll(fd_, buffer_, pending)) failed_ = true;
        return failed_ ? -1 : 0;
    }

    int fd_;
    bool failed_ = false;
    char buffer_[4096];
};

class FileStream : public std::ostream {
public:
    explicit FileStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

private:
    FileBuffer buffer_;
};

}  // namespace

std::string targetOf(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40 && !current.empty(); ++hops) {
        char real[PATH_MAX];
        if (::realpath(current.c_str(), real)) return real;
        // Not there (yet): through a link that points nowhere, to where it points.
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
        if (n <= 0) break;
        const std::string to(link, static_cast<std::size_t>(n));
        current = to[0] == '/' ? to : folderOf(current) + "/" + to;
    }
    char real[PATH_MAX];
    if (current.empty() || !::realpath(folderOf(current).c_str(), real)) return path;
    return std::string(real) + (std::strcmp(real, "/") == 0 ? "" : "/") + nameOf(current);
}

bool userFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool isReadableFile(const std::string& path, std::string& problem) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || ::access(path.c_str(), R_OK) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = notOrdinary(info.st_mode);
        return false;
    }
    return true;
}

bool readUserFile(const std::string& path, std::string& text, std::string& problem, std::size_t limit) {
    struct stat info {};
    // Looked at before it is opened: opening a FIFO would wait for a writer,
    // and opening a device may already do something.
    if (::stat(path.c_str(), &info) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = notOrdinary(info.st_mode);
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    // Swapped for something else since the look: judged again on what was opened.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = notOrdinary(info.st_mode);
        ::close(fd);
        return false;
    }
    text.clear();
    if (info.st_size > 0 && static_cast<unsigned long long>(info.st_size) <= limit)
        text.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            problem = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        // A file that grows while it is read (a log, a file under /proc) is bounded too.
        if (text.size() + static_cast<std::size_t>(n) > limit) {
            problem = "it holds more than " + std::to_string(limit >> 20) +
                      " MiB, more than any real one; refused (is it the right file?)";
            text.clear();
            ::close(fd);
            return false;
        }
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool mayWriteUserFile(const std::string& path, Existing existing, std::string& problem) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;
        problem = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = notOrdinary(info.st_mode);
        return false;
    }
    if (isSessionLock(path)) {
        problem = "it is the lock of a vrel-host session, which only that session may remove; never replaced";
        return false;
    }
    if (existing == Existing::keep) {
        problem = existsMessage(path);
        return false;
    }
    return true;
}

bool replaceUserFile(const std::string& path, const std::string& text, Existing existing, std::string& problem) {
    if (!mayWriteUserFile(path, existing, problem)) return false;
    const std::string target = targetOf(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // A rename puts a new file in place of one name only: the others would keep the old file.
    if (replacing && old.st_nlink > 1) {
        problem = hardLinksMessage(old.st_nlink);
        return false;
    }

    // A name of its own for every save, so two processes saving the same file
    // never write into one temporary file; one no user would pick, so that
    // the clean-up after a killed save never takes a user's file.
    std::string temporary = target + temporaryInfix + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        problem = failed("cannot create a temporary file beside it");
        return false;
    }
    auto abandon = [&](const std::string& what) {
        problem = failed(what);
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    };
    if (!writeAll(fd, text.data(), text.size())) return abandon("cannot write " + temporary);
    if (replacing) {
        // The owner first: a change of owner clears the set-id bits the mode then restores.
        // Who may not give a file away keeps at least its group where it can.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon("cannot give " + temporary + " the file's mode");
    } else if (::fchmod(fd, newFileMode()) != 0) {
        return abandon("cannot give " + temporary + " a file's mode");
    }
    // On the disk before the rename, so the rename never exposes a half-written file.
    if (::fsync(fd) != 0) return abandon("cannot flush " + temporary);
    if (::close(fd) != 0) {
        problem = failed("cannot write " + temporary);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        problem = failed("cannot replace it");
        ::unlink(temporary.c_str());
        return false;
    }
    // And the rename itself on the disk.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

std::unique_ptr<std::ostream> createUserFile(const std::string& path, Existing existing, std::string& problem) {
    if (!mayWriteUserFile(path, existing, problem)) return nullptr;
    const std::string target = targetOf(path);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK |
                      (existing == Existing::keep ? O_EXCL : 0);
    const int fd = ::open(target.c_str(), flags, 0666);
    if (fd < 0) {
        problem = errno == EEXIST ? existsMessage(path) : std::string(std::strerror(errno));
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = notOrdinary(info.st_mode);
        ::close(fd);
        return nullptr;
    }
    // Emptied only now that it is known to be an ordinary file.
    if ((existing == Existing::replace && ::ftruncate(fd, 0) != 0) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        problem = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileStream>(fd);
}

std::string hardLinksMessage(unsigned long links) {
    return "it has " + std::to_string(links) +
           " hard links (names); replacing it would leave the other names with the old file, so it is "
           "refused "
           "(keep one name and make the others symbolic links, ln -s, which work)";
}

bool isSessionLock(const std::string& path) {
    constexpr const char ending[] = ".lock";
    if (path.size() < sizeof ending ||
        path.compare(path.size() - (sizeof ending - 1), std::string::npos, ending) != 0)
        return false;
    std::string text, problem;
    return readUserFile(path, text, problem, 4096) && text.compare(0, 4, "pid ") == 0 &&
           text.find("\nhost ") != std::string::npos;
}

std::vector<std::string> staleTemporariesOf(const std::string& target, const std::string& contentStart) {
    std::vector<std::string> found;
    const std::string folder = folderOf(target);
    const std::string stem = nameOf(target) + temporaryInfix;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0) continue;
        bool suffix = true;
        for (std::size_t i = stem.size(); i < name.size(); ++i)
            suffix = suffix && std::isalnum(static_cast<unsigned char>(name[i]));
        struct stat info {};
        const std::string path = (folder == "/" ? "" : folder) + "/" + name;
        if (!suffix || ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        // Ours only if it begins as a save begins (or is empty: killed before its first byte).
        const std::string text = beginningOf(path, contentStart.size());
        if (contentStart.compare(0, text.size(), text) == 0) found.push_back(path);
    }
    ::closedir(dir);
    return found;
}

std::string freeNameBeside(const std::string& path) {
    const std::string name = nameOf(path);
    const std::string folder = path.size() > name.size() ? path.substr(0, path.size() - name.size()) : "";
    const std::size_t dot = name.rfind('.');
    const bool extension = dot != std::string::npos && dot != 0;
    const std::string stem = extension ? name.substr(0, dot) : name;
    const std::string ending = extension ? name.substr(dot) : "";
    struct stat info {};
    for (int n = 2;; ++n) {
        const std::string candidate = folder + stem + "-" + std::to_string(n) + ending;
        if (::lstat(candidate.c_str(), &info) != 0 || n == 1000) return candidate;
    }
}

}  // namespace vrelhost
