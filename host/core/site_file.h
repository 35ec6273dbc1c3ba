// Site files: a site as JSON, read at start and kept up to date on disk.
//
//   { "devices": [
//       { "instance": "Main Router", "number": 10, "role": "router",
//         "databases": { "0": ["Camera 1", ...], "2": [...] } },
//       { "instance": "Tally", "number": 57, "role": "infodriver",
//         "slots": { "211": "2", "212": "1" } }, ... ] }
//
// A database lists its entries from 1 on (at most 128; missing ones are
// empty). A key the reader does not know is refused, at every level. SiteFile
// keeps the document it read and, after every rename of a kept device (the
// profile says which), writes that device's databases back into it, through
// user_file.h: the file a link points at is replaced, atomically, keeping its
// mode, so the file on disk is always either the old or the new complete
// site. Everything else in the document is kept as it was.
//
// A save never overwrites what it did not read. Before each save the file on
// disk is compared with what this object last read or wrote (its identity,
// size, time and bytes). When another program changed it, the renames made
// since the last save are merged into the file as it is now, entry by entry,
// as long as no entry was changed on both sides; otherwise the file is left
// as the other program made it, and the site with this session's renames is
// written to a file of its own beside it (SITE-unsaved.json, or -2, -3 ...),
// which the outcome names. Either way both changes are on disk.
#pragma once

#include <sys/types.h>

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "site.h"

namespace vrelhost {

// How every site file this program writes begins (two-space indentation,
// keys in order): what tells a temporary file left by a killed save.
constexpr const char siteFileStart[] = "{\n  \"devices\": [";

// The site a document describes, or nothing with `error` naming the problem
// and where it is (for example: devices[1].number: expected an integer).
std::optional<Site> siteFromJson(const nlohmann::json& document, std::string& error);

class SiteFile {
public:
    // Reads and checks `path`; `error` names the file and the problem.
    static std::optional<SiteFile> open(const std::string& path, Site& site, std::string& error);

    // The devices of `site` with `role` are the ones whose renames are saved;
    // none when `role` is empty.
    void keep(const Site& site, const std::string& role);
    bool keeps(int device) const { return kept_.count(device) != 0; }
    // The document as read (and as saved since).
    const nlohmann::json& document() const { return document_; }
    // How a save went. saved: the file holds the site. merged: another
    // program had changed it, and it now holds both. keptBeside: it was
    // changed so that both cannot be merged (or is no site file any more);
    // left alone, the site is in `beside`. failed: nothing was written.
    enum class Outcome { saved, merged, keptBeside, failed };
    // Writes the renames of the kept devices of `site` back, atomically;
    // `message` says what happened for every outcome but saved.
    Outcome save(const Site& site, std::string& message);
    // Where the renames the site file could not take went, once they had to.
    const std::string& beside() const { return beside_; }

    const std::string& path() const { return path_; }
    // The file's bytes as they were read, before any save.
    const std::string& textAsRead() const { return textAsRead_; }

    // Who the file on disk is and what it held when last read or written.
    struct OnDisk {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        long long modified = 0;   // nanoseconds
        unsigned long links = 1;  // hard links: a save's rename would split more than one
        std::string text;
        bool operator==(const OnDisk& other) const {
            return device == other.device && inode == other.inode && size == other.size &&
                   modified == other.modified && text == other.text;
        }
    };

private:
    using Databases = std::map<int, std::vector<std::string>>;
    SiteFile(std::string path, nlohmann::json document, std::string text)
        : path_(std::move(path)), document_(std::move(document)), textAsRead_(std::move(text)) {}
    struct Rename {
        int device = 0, database = 0;
        std::size_t index = 0;  // from 0
        std::string before, after;
    };
    std::vector<Rename> renamesSinceSave(const Site& site) const;
    bool merge(nlohmann::json& document, const std::vector<Rename>& renames, std::string& conflict) const;
    Outcome write(const nlohmann::json& document, const Site& site, std::string& message);
    Outcome keepBeside(const nlohmann::json& document, const std::string& why, std::string& message);

    std::string path_;
    nlohmann::json document_;  // as last read or written
    std::string textAsRead_;
    std::set<int> kept_;
    std::map<int, Databases> saved_;  // the kept devices' databases the file holds
    OnDisk disk_;
    std::string beside_;
};

// The file at `path` as it is now; false when it cannot be read.
bool lookAtDisk(const std::string& path, SiteFile::OnDisk& disk, std::string& problem);

}  // namespace vrelhost
