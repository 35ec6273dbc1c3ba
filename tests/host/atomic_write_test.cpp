// The atomic replacement of a user's file, watched from below: this program
// defines fsync() and rename() itself, so every call the host makes is seen
// in order, and one can be made to fail as a full or failing disk would. The
// order is what keeps a file whole through a crash: the new text on the disk
// first, then the rename, then the folder; and a failed step is never a save.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "simulated_host.h"
#include "site_file.h"
#include "tests/host/temp_site.h"
#include "tour.h"

namespace {

struct Watch {
    bool on = false;
    std::vector<std::string> calls;  // "fsync PATH", "rename FROM TO"
    int failRenames = 0;             // the next so many renames fail with EIO
    int failFsyncs = 0;
};
Watch watch;

std::string pathOf(int fd) {
    char link[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : "?";
}

}  // namespace

extern "C" int fsync(int fd) {
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (watch.on) {
        watch.calls.push_back("fsync " + pathOf(fd));
        if (watch.failFsyncs > 0) {
            --watch.failFsyncs;
            errno = EIO;
            return -1;
        }
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    if (watch.on) {
        watch.calls.push_back(std::string("rename ") + from + " " + to);
        if (watch.failRenames > 0) {
            --watch.failRenames;
            errno = EIO;
            return -1;
        }
    }
    return real(from, to);
}

namespace vrelhost {
namespace {

class AtomicWrite : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(path) << "old";
        watch = Watch{};
        watch.on = true;
    }
    void TearDown() override { watch = Watch{}; }

    TempSite files{"vrel-atomic-test"};
    const std::string& path = files.path;
};

TEST_F(AtomicWrite, TheTextIsOnTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    std::string problem;
    ASSERT_TRUE(replaceUserFile(path, "new", Existing::replace, problem)) << problem;
    EXPECT_EQ(contents(path), "new");
    ASSERT_EQ(watch.calls.size(), 3u) << ::testing::PrintToString(watch.calls);
    const std::string& renamed = watch.calls[1];
    ASSERT_EQ(renamed.rfind("rename " + path + ".vrel-host-save.", 0), 0u) << renamed;
    const std::string temporary = renamed.substr(7, renamed.find(' ', 7) - 7);
    EXPECT_EQ(renamed, "rename " + temporary + " " + path);
    EXPECT_EQ(watch.calls[0], "fsync " + temporary) << "the temporary must reach the disk before it is renamed";
    EXPECT_EQ(watch.calls[2], "fsync " + files.folder) << "the folder holds the rename only once synced";
}

TEST_F(AtomicWrite, AFailedRenameIsNoSaveAndLeavesTheOldFileAlone) {
    watch.failRenames = 1;
    std::string problem;
    EXPECT_FALSE(replaceUserFile(path, "new", Existing::replace, problem));
    EXPECT_EQ(problem, "cannot replace it: Input/output error");
    EXPECT_EQ(contents(path), "old");
    EXPECT_EQ(filesIn(files.folder), std::set<std::string>{"site.json"}) << "the temporary was left behind";
}

TEST_F(AtomicWrite, AFailedFlushIsNoSaveAndNothingIsRenamed) {
    watch.failFsyncs = 1;
    std::string problem;
    EXPECT_FALSE(replaceUserFile(path, "new", Existing::replace, problem));
    EXPECT_EQ(problem.rfind("cannot flush " + path + ".vrel-host-save.", 0), 0u) << problem;
    EXPECT_EQ(watch.calls.size(), 1u) << ::testing::PrintToString(watch.calls);
    EXPECT_EQ(contents(path), "old");
    EXPECT_EQ(filesIn(files.folder), std::set<std::string>{"site.json"});
}

// Each save writes every kept database, so a save that works takes the
// renames of an earlier failed one along: the summary counts what the file
// lacks at the end, not every failure on the way; a device the file does not
// keep has nothing to save.
TEST_F(AtomicWrite, ARenameIsUnsavedOnlyUntilASaveWorks) {
    std::string error;
    ASSERT_TRUE(replaceUserFile(path, kelvaneProfile().defaultSite().dump(2), Existing::replace, error)) << error;
    Site site;
    std::optional<SiteFile> file = SiteFile::open(path, site, error);
    ASSERT_TRUE(file) << error;
    std::ostringstream out;
    Transcript transcript(out, Transcript::Form::exact);
    ProtocolLog log(transcript);
    SimulatedHost host(site, transcript, log);
    file->keep(site, "names");
    host.keepSiteIn(&*file);
    auto rename = [&host](const char* command) { host.notify(const_cast<char*>(command), vrel_kind::command); };

    watch.failRenames = 1;
    rename("RM 60 1 1 'First' 0");
    EXPECT_EQ(host.unsavedRenames(), 1);
    EXPECT_NE(host.saveError().find("cannot replace it"), std::string::npos) << host.saveError();
    rename("RM 60 1 2 'Second' 0");
    EXPECT_EQ(host.unsavedRenames(), 0) << "the file holds both now";
    EXPECT_EQ(host.saveError(), "");
    Site again;
    ASSERT_TRUE(SiteFile::open(path, again, error)) << error;
    EXPECT_EQ(*again.entry(60, 1, 1), "First");
    EXPECT_EQ(*again.entry(60, 1, 2), "Second");

    watch.failRenames = 2;
    rename("RM 60 1 3 'Third' 0");
    rename("RM 60 1 4 'Fourth' 0");
    rename("RM 10 0 1 'Router' 0");
    EXPECT_EQ(host.unsavedRenames(), 2);
    EXPECT_NE(out.str().find("! the rename could not be saved: site file " + path + ": cannot replace it"),
              std::string::npos);
}

// The whole session: the demo makes two renames, each saved at once; the
// save of rename `failing` (1 or 2) fails. Returns the exit status.
int demoWithAFailedSave(const std::string& site, int failing, std::string& screen, std::string& errors) {
    std::string error;
    if (!replaceUserFile(site, kelvaneProfile().defaultSite().dump(2), Existing::replace, error)) return -1;
    SimulationSettings settings = kelvaneSettings();
    settings.siteFile = site;
    std::ostringstream screenOut, errorsOut, transcript;
    settings.console = &screenOut;
    settings.errors = &errorsOut;
    settings.transcriptStream = &transcript;
    int renames = 0;
    // The rename reaches the transcript before the host carries it out and saves.
    settings.listener = [&renames, failing](const std::string& line) {
        if (line.rfind("> RM ", 0) == 0 && ++renames == failing) watch.failRenames = 1;
    };
    const std::optional<int> status = runTour(settings, screenOut, error);
    screen = screenOut.str();
    errors = errorsOut.str() + error;
    return renames == 2 && status ? *status : -1;
}

TEST_F(AtomicWrite, ASessionWhoseLaterSaveWorkedEndsWellAndOneWhoseLastFailedDoesNot) {
    std::string screen, errors;
    EXPECT_EQ(demoWithAFailedSave(path, 1, screen, errors), 0) << errors;
    EXPECT_EQ(errors.find("could not be saved"), std::string::npos) << errors;
    EXPECT_NE(screen.find("saved: in " + path), std::string::npos) << screen;
    EXPECT_NE(contents(path).find("\"Cam 17\""), std::string::npos);
    EXPECT_NE(contents(path).find("\"Newsroom\""), std::string::npos);

    EXPECT_EQ(demoWithAFailedSave(path, 2, screen, errors), 1) << errors;
    EXPECT_NE(errors.find("vrel-host: 1 rename(s) could not be saved; the first: site file " + path +
                          ": cannot replace it"),
              std::string::npos)
        << errors;
    EXPECT_NE(screen.find("saved: NOT all; 1 rename(s)"), std::string::npos) << screen;
}

}  // namespace
}  // namespace vrelhost
