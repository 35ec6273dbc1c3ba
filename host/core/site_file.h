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
#pragma once

#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "site.h"

namespace vrelhost {

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
    // Writes the kept devices' databases of `site` back, atomically.
    bool save(const Site& site, std::string& error);

    const std::string& path() const { return path_; }
    // The file's bytes as they were read, before any save.
    const std::string& textAsRead() const { return textAsRead_; }

private:
    SiteFile(std::string path, nlohmann::json document, std::string text)
        : path_(std::move(path)), document_(std::move(document)), textAsRead_(std::move(text)) {}

    std::string path_;
    nlohmann::json document_;
    std::string textAsRead_;
    std::set<int> kept_;
};

}  // namespace vrelhost
