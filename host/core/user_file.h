// User files: the one way vrel-host reads and writes a file the user named (a
// site, a transcript, a scenario, a profile and its demo, a panel file, the
// output of --write-site), with one set of rules for all of them:
//
//  - Only an ordinary file is read or written. A folder, a device, a FIFO or a
//    socket is refused with what it is, before anything is read from it or
//    written to it (`--site /dev/full` must never replace the device, a FIFO
//    must never block the session).
//  - A symbolic link is followed: the file it points at is what is read,
//    locked and replaced, and the link stays a link.
//  - A file is replaced atomically beside its target: written to
//    TARGET.vrel-host-save.XXXXXX, flushed to the disk, renamed over the target, and the
//    folder flushed too, so the target is always either the old or the new
//    whole file. The replacement keeps the old file's mode, and its owner and
//    group where the process may set them.
//  - A read stops at a limit no real file of this kind reaches, with a clear
//    message, rather than filling the memory with an endless file.
//  - An existing file is replaced only when the caller says so (--force),
//    never a session's lock, and never a file with more than one hard link
//    (a rename would split them).
//
// Every function that can fail returns false (or null) with `problem` set to
// a phrase that follows the file's name in a message, for example
// "it is a FIFO (a named pipe), not an ordinary file"; the caller says which
// file it is ("site file x.json: ..."). One thread at a time per file.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vrelhost {

// More than any real site, profile, scenario, panel file or transcript holds.
constexpr std::size_t userFileReadLimit = std::size_t{64} << 20;

// Whether an existing file may be replaced (--force) or is left alone.
enum class Existing { keep, replace };

// The file `path` stands for, every symbolic link followed: the real path of
// an existing file; for one not made yet, the real path of its folder and its
// name (through a link that points nowhere yet, where the link points).
// The path as given when its folder cannot be resolved.
std::string targetOf(const std::string& path);

// Whether something (of any type) is at `path`, links followed.
bool userFileExists(const std::string& path);

// Whether `path` is an ordinary file this process may read, without opening
// it (a library that is loaded, not read).
bool isReadableFile(const std::string& path, std::string& problem);

// The whole of the ordinary file at `path`, at most `limit` bytes.
bool readUserFile(const std::string& path, std::string& text, std::string& problem,
                  std::size_t limit = userFileReadLimit);

// Nothing is at `path`, or an ordinary file that `existing` allows to replace;
// the check every writer makes first, for a caller that wants to refuse before
// it starts anything.
bool mayWriteUserFile(const std::string& path, Existing existing, std::string& problem);

// Writes `text` over the target of `path`, atomically (see above).
bool replaceUserFile(const std::string& path, const std::string& text, Existing existing, std::string& problem);

// A file written line by line (a transcript): created, or emptied when it
// exists and `existing` allows it. The stream fails (and stays failed) when a
// write or a flush fails; every flush reaches the file at once.
std::unique_ptr<std::ostream> createUserFile(const std::string& path, Existing existing, std::string& problem);

// What every temporary file of a replacement is named: TARGET, this, and six
// letters or digits.
constexpr const char temporaryInfix[] = ".vrel-host-save.";

// The temporary files a save of `target` leaves when the process is killed
// in the middle of it: named as above, ordinary files, empty or beginning
// with `contentStart` (what every save of such a file begins with).
std::vector<std::string> staleTemporariesOf(const std::string& target, const std::string& contentStart);

// Whether `path` is a session's lock (SITE.lock, "pid N" and "host H" in it),
// which no writer replaces.
bool isSessionLock(const std::string& path);

// Why a file with `links` hard links is not replaced.
std::string hardLinksMessage(unsigned long links);

// A name beside `path` that nothing has yet, to suggest when `path` exists
// ("run.log" -> "run-2.log").
std::string freeNameBeside(const std::string& path);

}  // namespace vrelhost
