// User files: what is not an ordinary file is refused before it is opened,
// a link is followed to the file it names, a replaced file keeps its mode
// and owner, reads are bounded, nothing existing is replaced unasked, and a
// save's leftovers are recognised by their exact names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"
#include "file_identity.h"
#include "user_file.h"

namespace vrelhost {
namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

bool isLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

class UserFile : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return folder + "/" + name; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    // A socket file in the folder, as a server leaves one.
    std::string socketFile() {
        const std::string path = at("sock");
        sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        return path;
    }
    ~UserFile() override {
        if (sock >= 0) ::close(sock);
    }

    TempFolder temp{"vrel-user-file-test"};
    std::string folder = temp.path();
    int sock = -1;
};

// Neither read nor written: each is named for what it is, and a FIFO does not
// make the caller wait for a writer that never comes.
// Every one of them is the test's own, in its folder: a test of what may be
// written never points at the system's devices.
TEST_F(UserFile, RefusesWhatIsNotAnOrdinaryFileAndSaysWhatItIs) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0644), 0);
    std::vector<std::pair<std::string, std::string>> cases = {
        {folder, "it is a folder"},
        {at("fifo"), "it is a FIFO (a named pipe), not an ordinary file"},
        {socketFile(), "it is a socket, not an ordinary file"},
    };
    // A twin of /dev/null, where the process may make one.
    if (::mknod(at("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.emplace_back(at("null"), "it is a character device, not an ordinary file");
    for (const auto& [path, what] : cases) {
        std::string text = "untouched", problem;
        EXPECT_FALSE(readUserFile(path, text, problem)) << path;
        EXPECT_EQ(problem, what) << path;
        problem.clear();
        EXPECT_FALSE(replaceUserFile(path, "x", Existing::replace, problem)) << path;
        EXPECT_EQ(problem, what) << path;
        problem.clear();
        EXPECT_FALSE(createUserFile(path, Existing::replace, problem)) << path;
        EXPECT_EQ(problem, what) << path;
        EXPECT_FALSE(isReadableFile(path, problem)) << path;
    }
    EXPECT_TRUE(S_ISFIFO(modeOf(at("fifo")))) << "the FIFO is still one";
    std::string text, problem;
    // Reading the system's own device is harmless.
    EXPECT_FALSE(readUserFile("/dev/null", text, problem));
    EXPECT_EQ(problem, "it is a character device, not an ordinary file");
    EXPECT_FALSE(readUserFile(at("missing"), text, problem));
    EXPECT_EQ(problem, "No such file or directory");
}

// The limit is a boundary: a file of exactly the limit is read whole, one
// byte more is refused with the reason, and nothing of it is kept.
TEST_F(UserFile, ReadsStopAtTheLimit) {
    write("ten", "0123456789");
    std::string text, problem;
    EXPECT_TRUE(readUserFile(at("ten"), text, problem, 10)) << problem;
    EXPECT_EQ(text, "0123456789");
    EXPECT_FALSE(readUserFile(at("ten"), text, problem, 9));
    EXPECT_EQ(text, "");
    EXPECT_NE(problem.find("more than"), std::string::npos) << problem;

    // The real limit, on a file that takes no room on the disk.
    const int fd = ::open(at("huge").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(userFileReadLimit) + 1), 0);
    ::close(fd);
    EXPECT_FALSE(readUserFile(at("huge"), text, problem));
    EXPECT_EQ(problem, "it holds more than 64 MiB, more than any real one; refused (is it the right file?)");
    EXPECT_TRUE(text.empty());
}

TEST_F(UserFile, ALinkIsFollowedToItsTargetWhichIsReplacedBesideItself) {
    ASSERT_EQ(::mkdir(at("real").c_str(), 0755), 0);
    write("real/site.json", "old");
    ASSERT_EQ(::symlink("real/site.json", at("link.json").c_str()), 0);
    std::string text, problem;
    ASSERT_TRUE(readUserFile(at("link.json"), text, problem)) << problem;
    EXPECT_EQ(text, "old");
    ASSERT_TRUE(replaceUserFile(at("link.json"), "new", Existing::replace, problem)) << problem;
    EXPECT_TRUE(isLink(at("link.json"))) << "the link was replaced by a file";
    EXPECT_EQ(contents(at("real/site.json")), "new");
    EXPECT_EQ(targetOf(at("link.json")), targetOf(at("real/site.json")));
    // A link that points nowhere yet names where the file will be made.
    ASSERT_EQ(::symlink("real/later.log", at("later").c_str()), 0);
    EXPECT_EQ(targetOf(at("later")), targetOf(at("real")) + "/later.log");
    std::unique_ptr<std::ostream> out = createUserFile(at("later"), Existing::keep, problem);
    ASSERT_TRUE(out) << problem;
    *out << "line\n" << std::flush;
    out.reset();
    EXPECT_TRUE(isLink(at("later")));
    EXPECT_EQ(contents(at("real/later.log")), "line\n");
}

TEST_F(UserFile, AReplacedFileKeepsItsModeAndANewOneTakesTheUmask) {
    for (const mode_t mode : {mode_t{0600}, mode_t{0664}, mode_t{0640}}) {
        write("kept", "old");
        ASSERT_EQ(::chmod(at("kept").c_str(), mode), 0);
        std::string problem;
        ASSERT_TRUE(replaceUserFile(at("kept"), "new", Existing::replace, problem)) << problem;
        EXPECT_EQ(modeOf(at("kept")) & 07777, mode) << std::oct << mode;
        EXPECT_EQ(contents(at("kept")), "new");
    }
    const mode_t before = ::umask(027);
    std::string problem;
    const bool written = replaceUserFile(at("fresh"), "x", Existing::keep, problem);
    std::unique_ptr<std::ostream> stream = createUserFile(at("fresh.log"), Existing::keep, problem);
    ::umask(before);
    ASSERT_TRUE(written) << problem;
    ASSERT_TRUE(stream) << problem;
    EXPECT_EQ(modeOf(at("fresh")) & 07777, 0640u) << "a private temporary's 0600 leaked into the file";
    EXPECT_EQ(modeOf(at("fresh.log")) & 07777, 0640u);
}

// Only a process that may give a file away can keep another user's owner.
TEST_F(UserFile, AReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may keep another user's file theirs";
    write("owned", "old");
    ASSERT_EQ(::chown(at("owned").c_str(), 12345, 23456), 0);
    ASSERT_EQ(::chmod(at("owned").c_str(), 02640), 0);
    std::string problem;
    ASSERT_TRUE(replaceUserFile(at("owned"), "new", Existing::replace, problem)) << problem;
    struct stat info {};
    ASSERT_EQ(::stat(at("owned").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 12345u);
    EXPECT_EQ(info.st_gid, 23456u);
    EXPECT_EQ(info.st_mode & 07777, 02640u) << "the set-group bit is set again after the owner";
}

TEST_F(UserFile, AnExistingFileIsReplacedOnlyWhenAskedAndTheRefusalSaysHowToKeepBoth) {
    write("run.log", "baseline");
    write("run-2.log", "taken");
    std::string problem;
    EXPECT_FALSE(createUserFile(at("run.log"), Existing::keep, problem));
    EXPECT_EQ(problem, "it exists, and is replaced only with --force (to keep both, name another file, such as " +
                           at("run-3.log") + ")");
    EXPECT_FALSE(replaceUserFile(at("run.log"), "new", Existing::keep, problem));
    EXPECT_FALSE(mayWriteUserFile(at("run.log"), Existing::keep, problem));
    EXPECT_EQ(contents(at("run.log")), "baseline");

    std::unique_ptr<std::ostream> out = createUserFile(at("run.log"), Existing::replace, problem);
    ASSERT_TRUE(out) << problem;
    *out << "new" << std::flush;
    EXPECT_EQ(contents(at("run.log")), "new") << "emptied first, and each flush reaches the file";
    EXPECT_TRUE(mayWriteUserFile(at("nothing-yet"), Existing::keep, problem));
}

// Two names of one file are one file, through a link of either kind, a
// folder reached by a link, or "." and ".."; a file not made yet is known by
// its folder's real path.
TEST_F(UserFile, TwoNamesOfOneFileAreTheSameFile) {
    write("site.json", "x");
    write("other.json", "x");
    ASSERT_EQ(::mkdir(at("sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink(at("site.json").c_str(), at("soft.json").c_str()), 0);
    ASSERT_EQ(::link(at("site.json").c_str(), at("hard.json").c_str()), 0);
    ASSERT_EQ(::symlink(folder.c_str(), at("sub/up").c_str()), 0);
    for (const std::string& name : {at("soft.json"), at("hard.json"), at("sub/../site.json"), at("sub/up/site.json"),
                                    at("./site.json")})
        EXPECT_TRUE(sameFile(at("site.json"), name)) << name;
    EXPECT_FALSE(sameFile(at("site.json"), at("other.json")));
    EXPECT_TRUE(sameFile(at("new.log"), at("sub/up/new.log"))) << "not made yet, in one folder";
    EXPECT_FALSE(sameFile(at("new.log"), at("sub/new.log")));
    EXPECT_FALSE(sameFile(at("site.json"), at("sub/site.json")));
}

TEST(FreeName, IsBesideThePathAndTakenByNothing) {
    TempFolder temp{"vrel-free-name-test"};
    const std::string folder = temp.path();
    EXPECT_EQ(freeNameBeside(folder + "/run.log"), folder + "/run-2.log");
    std::ofstream(folder + "/run-2.log") << "x";
    EXPECT_EQ(freeNameBeside(folder + "/run.log"), folder + "/run-3.log");
    EXPECT_EQ(freeNameBeside(folder + "/notes"), folder + "/notes-2");
    EXPECT_EQ(freeNameBeside(folder + "/.hidden"), folder + "/.hidden-2");
    EXPECT_EQ(freeNameBeside("plain.txt"), "plain-2.txt");
}

// A stream that cannot write (the file may grow no more, as on a full disk)
// fails and stays failed, so the caller can tell.
TEST_F(UserFile, AStreamThatCannotWriteFails) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{100, 100};
        std::string problem;
        std::unique_ptr<std::ostream> out = createUserFile(at("full.log"), Existing::keep, problem);
        if (!out || ::setrlimit(RLIMIT_FSIZE, &small) != 0) _exit(2);
        *out << std::string(60, 'a') << '\n' << std::flush;
        if (!*out) _exit(3);  // the first line fits
        *out << std::string(60, 'b') << '\n' << std::flush;
        if (*out) _exit(4);
        *out << "c\n" << std::flush;
        _exit(*out ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: no stream, 3: a line that fits failed, 4: a failed write passed, "
                                         "5: the stream recovered from a failure";
}

// A user's own SITE.tmp.Friday or SITE.tmp.backup is never taken for a
// killed save's leftover: only our name, and a beginning a save writes.
TEST_F(UserFile, StaleTemporariesAreOnlyOurOwnByNameAndContent) {
    const std::string start = "{\n  \"devices\": [";
    for (const char* name :
         {"site.json", "site.json.tmp.Friday", "site.json.tmp.backup", "site.json.tmp.a1B2c3",
          "site.json.vrel-host-save.abc", "other.json.vrel-host-save.a1B2c3", "site.json.lock"})
        write(name, start + "x");
    write("site.json.vrel-host-save.a1B2c3", start + "\n    { \"instance\"");
    write("site.json.vrel-host-save.EMPTY0", "");
    write("site.json.vrel-host-save.notes0", "my notes");
    ASSERT_EQ(::symlink("site.json", at("site.json.vrel-host-save.linked").c_str()), 0);
    std::vector<std::string> found = staleTemporariesOf(at("site.json"), start);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{at("site.json.vrel-host-save.EMPTY0"),
                                               at("site.json.vrel-host-save.a1B2c3")}));
}

// --force replaces what the user named, never a session's lock; and a file
// with a second hard link is not split by a replacement.
TEST_F(UserFile, NeitherALockNorAFileWithTwoNamesIsReplaced) {
    write("site.json.lock", "pid 1\nhost here\nstarted 5\n");
    std::string problem;
    EXPECT_FALSE(replaceUserFile(at("site.json.lock"), "x", Existing::replace, problem));
    EXPECT_NE(problem.find("the lock of a vrel-host session"), std::string::npos) << problem;
    EXPECT_FALSE(createUserFile(at("site.json.lock"), Existing::replace, problem));
    EXPECT_EQ(contents(at("site.json.lock")), "pid 1\nhost here\nstarted 5\n");
    write("a.json", "first");
    ASSERT_EQ(::link(at("a.json").c_str(), at("b.json").c_str()), 0);
    EXPECT_FALSE(replaceUserFile(at("a.json"), "second", Existing::replace, problem));
    EXPECT_NE(problem.find("2 hard links"), std::string::npos) << problem;
    EXPECT_EQ(contents(at("b.json")), "first");
}

}  // namespace
}  // namespace vrelhost
