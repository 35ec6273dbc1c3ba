// vrel-host and the user's files, as a new user meets them: what is not an
// ordinary file, a site reached through a link, a file that never ends, a
// site that lacks what the script needs, a private site, a transcript that
// exists, what the console says while a session runs, replays of sessions
// ended by a signal or made on a site that changed since, a panel folder
// that is not there, and what a killed save left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "host_process.h"

namespace {

using nlohmann::json;

// Operator lines that rename source `index` of the name set shown (set 1
// unless `nameSet` picks another): `clear` characters of the old name are
// taken off ("CAM5" -> "CAM") and `text` typed after them.
std::string renameLines(int index, const std::string& text, int clear = 1, int nameSet = 0) {
    std::string lines = "press 1 Name_Editor\n";
    if (nameSet > 0) lines += "press 2 NameSet_" + std::to_string(nameSet) + "\n";
    lines += "press 2 SrcName index=" + std::to_string(index) + "\n";
    for (int i = 0; i < clear; ++i) lines += "key backspace\n";
    return lines + "type " + text + "\nkey return\npress 2 Update\n";
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// A child that may not grow past a few GiB, so a file read without bound ends
// it instead of the machine; not under a sanitizer or an emulator, which
// reserve far more address space than they use.
void boundedMemory() {
#ifndef KELVANE_SANITIZE
    if (!emulatorWords().empty()) return;
    const rlimit limit{rlim_t{4} << 30, rlim_t{4} << 30};
    setrlimit(RLIMIT_AS, &limit);
#endif
}

class HostFiles : public ::testing::Test {
protected:
    void SetUp() override {
        site = at("site.json");
        ASSERT_EQ(run({"--write-site", site}, messages), 0) << contents(messages);
    }
    std::string at(const std::string& name) const { return folder + "/" + name; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    json siteDocument() const { return json::parse(contents(site)); }
    void writeSite(const json& document) const { std::ofstream(site) << document.dump(2); }
    std::string said() const { return contents(messages); }

    TempFolder temp{"vrel-files-test"};
    std::string folder = temp.path();
    std::string site, messages = folder + "/messages";
};

// Repro 1: --force replaced a FIFO or a device with an ordinary file (as
// root, /dev/full itself); a FIFO as a site made the session wait forever.
TEST_F(HostFiles, WhatIsNotAnOrdinaryFileIsRefusedAndLeftAsItIs) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0644), 0);
    EXPECT_EQ(run({"--write-site", at("fifo"), "--force"}, messages), 1);
    EXPECT_NE(said().find(at("fifo") + ": it is a FIFO (a named pipe), not an ordinary file"), std::string::npos)
        << said();
    EXPECT_TRUE(S_ISFIFO(modeOf(at("fifo"))));
    write("show.txt", "show 1\n");
    EXPECT_EQ(run({"--site", at("fifo"), at("show.txt")}, messages), 1) << "a FIFO is read without waiting";
    EXPECT_NE(said().find("site file " + at("fifo") + ": cannot be read: it is a FIFO"), std::string::npos) << said();
    EXPECT_EQ(run({"--transcript", at("fifo"), "--force", at("show.txt")}, messages), 1);
    EXPECT_TRUE(S_ISFIFO(modeOf(at("fifo"))));
    EXPECT_EQ(run({"--script", at("fifo"), at("show.txt")}, messages), 1) << "a FIFO is not loaded";
    EXPECT_NE(said().find("cannot load script library " + at("fifo") + ": it is a FIFO"), std::string::npos) << said();
    if (::geteuid() == 0) {
        // A device of its own, the twin of /dev/full: the system's is never put at risk.
        ASSERT_EQ(::mknod(at("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
        EXPECT_EQ(run({"--write-site", at("full"), "--force"}, messages), 1);
        EXPECT_NE(said().find("it is a character device, not an ordinary file"), std::string::npos) << said();
        EXPECT_TRUE(S_ISCHR(modeOf(at("full")))) << "the device was replaced";
    }
}

// Repro 2: the save replaced the link with a file, and the lock beside the
// link's name let a second session run beside one on the real file. Once the
// first session is over, the second's rename joins the first's.
TEST_F(HostFiles, ASiteReachedThroughALinkIsSavedAndLockedAsTheFileItself) {
    ASSERT_EQ(::mkdir(at("real").c_str(), 0755), 0);
    ASSERT_EQ(::rename(site.c_str(), at("real/site.json").c_str()), 0);
    ASSERT_EQ(::symlink("real/site.json", at("link.json").c_str()), 0);
    write("rename.txt", renameLines(5, "Q"));

    HostProcess first({"--site", at("real/site.json")}, messages);
    ASSERT_TRUE(eventually([&] { return lockWritten(at("real/site.json.lock")); })) << said();
    const std::string second = at("second-messages");
    EXPECT_EQ(run({"--site", at("link.json"), at("rename.txt")}, second), 1);
    EXPECT_NE(contents(second).find("in use by another vrel-host session (process " + std::to_string(first.pid())),
              std::string::npos)
        << contents(second);
    first.say(renameLines(6, "Y"));
    first.closeInput();
    ASSERT_EQ(first.wait(), 0) << said();

    EXPECT_EQ(run({"--site", at("link.json"), at("rename.txt")}, messages), 0) << said();
    struct stat info {};
    ASSERT_EQ(::lstat(at("link.json").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the save replaced the link with a file";
    EXPECT_NE(contents(at("real/site.json")).find("\"CAMQ\""), std::string::npos) << "the real file has the rename";
    EXPECT_NE(contents(at("real/site.json")).find("\"CAMY\""), std::string::npos) << "the first session's is kept";
    EXPECT_FALSE(exists(at("link.json.lock")));
    EXPECT_FALSE(exists(at("real/site.json.lock")));
}

// Repro 4: an endless file was read until the kernel ended the process; under
// a memory limit, a scenario of /dev/zero ended with status 0 and no word.
TEST_F(HostFiles, AFileThatNeverEndsIsRefusedWithTheReason) {
    EXPECT_EQ(run({"--site", "/dev/zero"}, messages, boundedMemory), 1);
    EXPECT_NE(said().find("site file /dev/zero: cannot be read: it is a character device"), std::string::npos)
        << said();
    EXPECT_FALSE(exists("/dev/zero.lock")) << "a lock was made beside a device";
    EXPECT_EQ(run({"/dev/zero"}, messages, boundedMemory), 1);
    EXPECT_NE(said().find("cannot read scenario /dev/zero: it is a character device"), std::string::npos) << said();
    // Standard input is a stream, not a file: a line that never ends is stopped.
    EXPECT_EQ(run({}, messages,
                  [] {
                      boundedMemory();
                      const int zero = open("/dev/zero", O_RDONLY);
                      dup2(zero, STDIN_FILENO);
                  }),
              1);
    EXPECT_NE(said().find("stdin:1: a line longer than 1 MiB"), std::string::npos) << said();
    // A file past the limit, which takes no room on the disk.
    const int fd = ::open(at("huge.json").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (off_t{64} << 20) + 1), 0);
    ::close(fd);
    EXPECT_EQ(run({"--site", at("huge.json")}, messages, boundedMemory), 1);
    EXPECT_NE(said().find("huge.json: cannot be read: it holds more than 64 MiB"), std::string::npos) << said();
}

// Repro 5: a name driver without a database (or with its key misspelt)
// loaded silently, and the renames the host then refused ended with status 0.
TEST_F(HostFiles, ASiteThatLacksWhatTheScriptNeedsIsRefusedAtStart) {
    write("show.txt", "show 1\n");
    json document = siteDocument();
    document["devices"][2]["databases"].erase("2");
    document["devices"][2]["databases"].erase("5");
    writeSite(document);
    EXPECT_EQ(run({"--site", site, at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("devices[2].databases: the UMD name driver (device 60) has no database 2, 5; the "
                          "profile kelvane needs 1 to 9"),
              std::string::npos)
        << said();
    document = siteDocument();
    document["devices"][2]["databses"] = document["devices"][2]["databases"];
    document["devices"][2].erase("databases");
    writeSite(document);
    EXPECT_EQ(run({"--site", site, at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("devices[2].databses: unknown key (known: instance, number, role, databases, slots)"),
              std::string::npos)
        << said();
}

TEST_F(HostFiles, ARenameTheHostRefusesEndsTheSessionWithStatus1AndIsSaidAtOnce) {
    // A profile that asks nothing of the name driver's databases, and a site
    // without name set 3: the script's rename there is refused by the host.
    json document = siteDocument();
    document["devices"][2]["databases"].erase("3");
    writeSite(document);
    const json profile = {{"name", "lenient"},
                          {"library", KELVANE_LIBRARY},
                          {"panels", std::string(VREL_HOST_FOLDER) + "/panels"},
                          {"site", site},
                          {"roles", {"names"}},
                          {"keptRole", "names"},
                          {"configEntry", "velmorcast.StA_UMD_Names_DriverID"},
                          {"keyboard", {{"panel", "2"}, {"control", "KB_1"}}}};
    write("profile.json", profile.dump());
    HostProcess host({"--profile", at("profile.json"), "--site", site, "--transcript", at("run.log")}, messages);
    host.say(renameLines(17, "X", 0, 3));
    EXPECT_TRUE(eventually([&] {
        return said().find("! RM: device 60 has no entry 17 in database 3; the rename is not done") !=
               std::string::npos;
    })) << "said on the console while the session runs:\n"
        << said();
    host.closeInput();
    const int status = host.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << said();
    EXPECT_NE(said().find("the host refused 1 rename(s) the script sent, so they are not done"), std::string::npos)
        << said();
}

// Repro 7: --transcript overwrote the baseline a replay needs, without a word.
TEST_F(HostFiles, AnExistingTranscriptIsKeptUnlessForced) {
    write("show.txt", "show 1\n");
    write("run.log", "last week's baseline\n");
    EXPECT_EQ(run({"--transcript", at("run.log"), at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("transcript " + at("run.log") + ": it exists, and is replaced only with --force (to keep "
                          "both, name another file, such as " + at("run-2.log") + ")"),
              std::string::npos)
        << said();
    EXPECT_EQ(contents(at("run.log")), "last week's baseline\n");
    EXPECT_EQ(run({"--transcript", at("run.log"), "--force", at("show.txt")}, messages), 0) << said();
    EXPECT_EQ(contents(at("run.log")).rfind("< create ", 0), 0u);
    // --force alone would do nothing: refused rather than ignored.
    EXPECT_EQ(run({"--force", at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("--force replaces the file of --write-site or --transcript"), std::string::npos) << said();
}

// Repro 8: with --transcript, a failed save was first told at quit, and a
// session without a site never said its renames were kept only in memory.
TEST_F(HostFiles, MessagesReachTheConsoleWhenTheyHappen) {
    // A site whose name leaves no room for the temporary file of a save.
    const std::string crowded = at(std::string(245, 's') + ".json");
    ASSERT_EQ(::rename(site.c_str(), crowded.c_str()), 0);
    HostProcess host({"--site", crowded, "--transcript", at("run.log")}, messages);
    host.say("press 1 Confirm\n" + renameLines(5, "Z"));
    EXPECT_TRUE(eventually([&] { return said().find("! the rename could not be saved: site file ") != std::string::npos; }))
        << "not on the console while the session runs:\n"
        << said();
    EXPECT_NE(said().find("! refused: Confirm on panel 1 is disabled, so it sends no event\n"), std::string::npos)
        << said();
    host.closeInput();
    const int status = host.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;

    write("show.txt", "show 1\n");
    EXPECT_EQ(run({at("show.txt")}, messages), 0) << said();
    EXPECT_NE(said().find("vrel-host: no site file: renames live in memory only"), std::string::npos) << said();
    ASSERT_EQ(run({"--write-site", site}, messages), 0) << said();
    EXPECT_EQ(run({"--site", site, at("show.txt")}, messages), 0) << said();
    EXPECT_EQ(said().find("renames live in memory only"), std::string::npos) << said();
}

// Repro 9: a session ended by a signal never destroyed its script, and its
// transcript failed the replay for the missing "< destroy"; a replay on the
// site the session had changed failed at the first read with no hint.
TEST_F(HostFiles, ASessionEndedByASignalReplaysCleanOnTheSiteAsItWas) {
    const std::string tmp = folder;
    for (const int signal : {SIGTERM, SIGKILL}) {
        const std::string transcript = at("run-" + std::to_string(signal) + ".log");
        // The configuration folder a killed session leaves is this test's to remove.
        HostProcess host({"--site", site, "--transcript", transcript}, messages, [&tmp] { setenv("TMPDIR", tmp.c_str(), 1); });
        const int source = signal == SIGTERM ? 20 : 19;  // "CAM20" and "CAM19" lose their last digit
        const std::string renamed = "\"CAM" + std::to_string(source / 10) + "S\"";
        host.say(renameLines(source, "S"));
        ASSERT_TRUE(eventually([&] { return contents(site).find(renamed) != std::string::npos; })) << said();
        kill(host.pid(), signal);
        host.wait();
        ASSERT_TRUE(exists(transcript + ".site.json")) << "no copy of the site as it was";

        const std::string replay = at("replay");
        EXPECT_EQ(run({"--replay", transcript}, replay), 0) << contents(replay);
        EXPECT_NE(contents(replay).find("replaying on " + transcript + ".site.json"), std::string::npos);
        EXPECT_NE(contents(replay).find("all the same; its session ended without destroying the script (a signal "
                                        "ended it), so the replay was compared up to its last line"),
                  std::string::npos)
            << contents(replay);
        // On the site as the session left it, the start-up reads differ: said so.
        EXPECT_EQ(run({"--replay", transcript, "--site", site}, replay), 1);
        EXPECT_NE(contents(replay).find("a start-up read differs: the site has changed since the transcript was made"),
                  std::string::npos)
            << contents(replay);
        // The session's lock is left by SIGKILL only.
        if (signal == SIGKILL) {
            ASSERT_EQ(unlink((site + ".lock").c_str()), 0);
        }
    }
}

// Repro 10: a panel folder that is not there ran the script with 27 ! lines
// and ended with status 0.
TEST_F(HostFiles, AMissingPanelFolderIsRefusedBeforeTheScriptStarts) {
    write("show.txt", "show 1\n");
    EXPECT_EQ(run({"--panels", at("nowhere"), "--transcript", at("run.log"), at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("the panel folder " + at("nowhere") + " does not exist"), std::string::npos) << said();
    EXPECT_EQ(said().find("< create"), std::string::npos) << said();
    EXPECT_FALSE(exists(at("run.log")));
    EXPECT_EQ(run({"--panels", site, at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("the panel folder " + site + " is not a folder"), std::string::npos) << said();
    // A profile's library that is not there: the message names the profile too.
    write("profile.json", json{{"name", "mine"},
                               {"library", "libmissing.so"},
                               {"roles", {"names"}},
                               {"panels", std::string(VREL_HOST_FOLDER) + "/panels"},
                               {"site", site}}
                              .dump());
    EXPECT_EQ(run({"--profile", at("profile.json"), at("show.txt")}, messages), 1);
    EXPECT_NE(
        said().find("libmissing.so: No such file or directory (the script library of the profile mine;"),
        std::string::npos)
        << said();
}

// What a save killed half-way leaves beside the site goes with the next
// session that holds it, and that session says so; a user's own files that
// merely look alike (SITE.tmp.backup, SITE.tmp.Friday) are never touched.
TEST_F(HostFiles, TheNextSessionRemovesWhatAKilledSaveLeftAndSaysSo) {
    const char* leftovers[] = {"site.json.vrel-host-save.Ab12Cd", "site.json.vrel-host-save.zzzzzz"};
    const char* others[] = {"site.json.tmp.backup", "site.json.tmp.Friday", "site.json.tmp.Ab12Cd",
                            "other.json.vrel-host-save.Ab12Cd", "notes.txt"};
    for (const char* name : leftovers) write(name, "{\n  \"devices\": [\n    {");
    for (const char* name : others) write(name, "mine");
    write("show.txt", "show 1\n");
    ASSERT_EQ(run({"--site", site, at("show.txt")}, messages), 0) << said();
    for (const char* name : leftovers) EXPECT_FALSE(exists(at(name))) << name;
    for (const char* name : others) EXPECT_EQ(contents(at(name)), "mine") << name;
    EXPECT_NE(said().find("vrel-host: removed 2 temporary file(s) left by a save of " + site + " that was cut short: "),
              std::string::npos)
        << said();
    // A replay only reads the site and holds no lock: it leaves them alone.
    ASSERT_EQ(run({"--site", site, "--transcript", at("run.log"), at("show.txt")}, messages), 0) << said();
    for (const char* name : leftovers) write(name, "");
    ASSERT_EQ(run({"--replay", at("run.log"), "--site", site}, messages), 0) << said();
    for (const char* name : leftovers) EXPECT_TRUE(exists(at(name))) << name;
}

// A name that holds a line break, a carriage return or a NUL (from a site
// file) stays inside its line: it forges no operator line and no !! line,
// and the transcript replays.
TEST_F(HostFiles, ANameWithALineBreakForgesNoLineAndReplays) {
    json document = siteDocument();
    document["devices"][2]["databases"]["1"][0] =
        std::string("x\n# 1: press 1 Select_5\n!! protocol error: fake\r") + '\0' + "y";
    writeSite(document);
    write("show.txt", "show 1\n");
    EXPECT_EQ(run({"--site", site, "--transcript", at("run.log"), at("show.txt")}, messages), 0) << said();
    const std::string text = contents(at("run.log"));
    EXPECT_NE(text.find("x\\n# 1: press 1 Select_5\\n!! protocol error: fake\\r\\x00y"), std::string::npos);
    EXPECT_EQ(text.find("\n!! protocol error: fake"), std::string::npos) << "a forged line";
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(run({"--replay", at("run.log")}, messages), 0) << said();
    // On the console too.
    EXPECT_EQ(run({"--site", site, at("show.txt")}, messages), 0) << said();
    EXPECT_EQ(said().find("\n!! protocol error: fake"), std::string::npos) << said();
}

// Another program changed the site under a session (a backup copied back):
// said at once, the file keeps that change, the session's renames go to a
// file beside it that the closing message names, and the session fails.
TEST_F(HostFiles, AnOutsideChangeIsNeverOverwritten) {
    HostProcess host({"--site", site, "--transcript", at("run.log")}, messages);
    host.say(renameLines(5, "Q"));
    ASSERT_TRUE(eventually([&] { return contents(site).find("\"CAMQ\"") != std::string::npos; })) << said();
    json document = siteDocument();
    document["devices"][2]["databases"]["1"][4] = "Backup";
    document["devices"][2]["databases"]["1"][5] = "Outside";
    writeSite(document);
    host.say(renameLines(6, "Y") + "show 1\n");
    ASSERT_TRUE(eventually([&] {
        return said().find("! site file " + site + " was changed") != std::string::npos;
    })) << "not said at once:\n"
        << said();
    host.closeInput();
    const int status = host.wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status << said();
    EXPECT_NE(contents(site).find("\"Outside\""), std::string::npos) << "the outside change was overwritten";
    EXPECT_NE(contents(at("site-unsaved.json")).find("\"CAMY\""), std::string::npos) << said();
    EXPECT_NE(said().find(at("site-unsaved.json")), std::string::npos) << said();
}

// --force replaces the file the user named, and nothing else: never a
// session's lock, never a panel file the script loads, never a copy of the
// site reached through a link; --site-copy names the copy.
TEST_F(HostFiles, ForceReplacesOnlyWhatTheUserNamed) {
    write("show.txt", "show 1\n");
    HostProcess holder({"--site", site}, messages);
    ASSERT_TRUE(eventually([&] { return lockWritten(site + ".lock"); })) << said();
    const std::string lock = contents(site + ".lock");
    const std::string second = at("second");
    EXPECT_EQ(run({"--transcript", site + ".lock", "--force", at("show.txt")}, second), 1);
    EXPECT_NE(contents(second).find("the lock of a vrel-host session"), std::string::npos)
        << contents(second);
    EXPECT_EQ(contents(site + ".lock"), lock);
    holder.closeInput();
    ASSERT_EQ(holder.wait(), 0) << said();

    std::filesystem::copy(std::string(VREL_HOST_FOLDER) + "/panels", at("panels"));
    const std::string panel = contents(at("panels/Selector.vrel_ui"));
    EXPECT_EQ(run({"--panels", at("panels"), "--transcript", at("panels/Selector.vrel_ui"), "--force",
                   at("show.txt")},
                  messages),
              1);
    EXPECT_NE(said().find("is in the panel folder"), std::string::npos) << said();
    EXPECT_TRUE(contents(at("panels/Selector.vrel_ui")) == panel) << "the panel file was replaced";

    write("elsewhere.txt", "mine");
    ASSERT_EQ(::symlink(at("elsewhere.txt").c_str(), at("run.log.site.json").c_str()), 0);
    EXPECT_EQ(run({"--site", site, "--transcript", at("run.log"), "--force", at("show.txt")}, messages), 1);
    EXPECT_NE(said().find("it is a symbolic link"), std::string::npos) << said();
    EXPECT_NE(said().find("--site-copy FILE"), std::string::npos) << said();
    EXPECT_EQ(contents(at("elsewhere.txt")), "mine");
    EXPECT_EQ(
        run({"--site", site, "--transcript", at("run.log"), "--site-copy", at("start.json"), at("show.txt")},
            messages),
        0)
        << said();
    EXPECT_EQ(contents(at("start.json")), contents(site));
    EXPECT_EQ(run({"--replay", at("run.log")}, messages), 0) << said();
    EXPECT_NE(said().find("replaying on " + at("start.json")), std::string::npos) << said();

    // The site a profile file names is read with it, and never written over.
    write("profile.json", json{{"name", "mine"},
                               {"library", KELVANE_LIBRARY},
                               {"roles", {"names"}},
                               {"panels", std::string(VREL_HOST_FOLDER) + "/panels"},
                               {"site", at("start.json")}}
                              .dump());
    const std::string start = contents(at("start.json"));
    EXPECT_EQ(
        run({"--profile", at("profile.json"), "--transcript", at("start.json"), "--force", at("show.txt")},
            messages),
        1);
    EXPECT_NE(said().find("the profile's site is " + at("start.json")), std::string::npos) << said();
    EXPECT_TRUE(contents(at("start.json")) == start) << "the profile's site was replaced";
}

// A disk that fills while the session runs: the first line that cannot be
// written ends the session there, said at once; the renames after it never
// run; and a replay of the cut transcript says it was cut.
TEST_F(HostFiles, ATranscriptThatCannotBeWrittenEndsTheSessionThere) {
    write("rename.txt", renameLines(5, "Q") + renameLines(6, "Y"));
    ASSERT_EQ(run({"--transcript", at("whole.log"), at("rename.txt")}, messages), 0) << said();
    const std::string whole = contents(at("whole.log"));
    const rlim_t room = whole.find("# 3: ") + 10;  // the start-up and two lines, then the disk is full
    ASSERT_EQ(run({"--write-site", site, "--force"}, messages), 0);
    const std::string before = contents(site);
    EXPECT_EQ(run({"--site", site, "--transcript", at("run.log"), at("rename.txt")}, messages,
                  [room] {
                      signal(SIGXFSZ, SIG_IGN);
                      const rlimit small{room, room};
                      setrlimit(RLIMIT_FSIZE, &small);
                  }),
              1);
    EXPECT_NE(said().find("cannot write the transcript " + at("run.log") +
                          ": File too large; the session ends here"),
              std::string::npos)
        << said();
    EXPECT_EQ(contents(site), before) << "a rename ran after the transcript failed";
    EXPECT_EQ(run({"--replay", at("run.log"), "--site", site}, messages), 1);
    EXPECT_NE(said().find("the transcript's last line is incomplete"), std::string::npos) << said();
}

}  // namespace
