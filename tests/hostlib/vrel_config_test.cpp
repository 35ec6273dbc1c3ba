// vrel_config: site settings read from INI files in $VREL_CONFIG_DIR.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "vrel_config.h"

namespace {

namespace fs = std::filesystem;

// A private configuration folder for one test; VREL_CONFIG_DIR points at it
// while the test runs and gets its old value back afterwards.
class ConfigFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("VREL_CONFIG_DIR");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        std::string pattern = (fs::temp_directory_path() / "vrel_config_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::setenv("VREL_CONFIG_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_) {
            ::setenv("VREL_CONFIG_DIR", old_.c_str(), 1);
        } else {
            ::unsetenv("VREL_CONFIG_DIR");
        }
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    void write(const std::string& file, const std::string& content) {
        std::ofstream(dir_ / file, std::ios::binary) << content;
    }

    fs::path dir_;

private:
    bool hadOld_ = false;
    std::string old_;
};

TEST_F(ConfigFolder, ReadsTheKeyOfTheNamedSection) {
    write("site.ini",
          "; comment\n"
          "[Other]\nvalue=1\n"
          "[Driver]\n"
          "# another comment\n"
          "  value = 60  \n"
          "name=UMD driver=main\n"
          "value=61\n");
    vrel_config config("site.Driver");
    EXPECT_EQ(config.attr("value"), "60");  // trimmed; the first definition wins
    EXPECT_EQ(config.attr("name"), "UMD driver=main");
    EXPECT_EQ(vrel_config("site.Other").attr("value"), "1");
}

TEST_F(ConfigFolder, ReadsFilesWithWindowsLineEnds) {
    write("site.ini", "[Driver]\r\nvalue=60\r\n");
    EXPECT_EQ(vrel_config("site.Driver").attr("value"), "60");
}

TEST_F(ConfigFolder, AnythingMissingGivesTheEmptyText) {
    write("site.ini", "[Driver]\nvalue=60\nbroken line\n");
    EXPECT_EQ(vrel_config("site.Driver").attr("missing"), "");
    EXPECT_EQ(vrel_config("site.Absent").attr("value"), "");
    EXPECT_EQ(vrel_config("nofile.Driver").attr("value"), "");
    EXPECT_EQ(vrel_config("nodot").attr("value"), "");
    EXPECT_EQ(vrel_config(".Driver").attr("value"), "");
    EXPECT_EQ(vrel_config().attr("value"), "");
    EXPECT_EQ(vrel_config("site.Driver").attr("value").toInt(), 60);
    EXPECT_EQ(vrel_config("site.Absent").attr("value").toInt(), 0);
}

TEST_F(ConfigFolder, IsReadOnceWhenBuiltAndKeptByAssignment) {
    write("site.ini", "[Driver]\nvalue=60\n");
    vrel_config config;
    config = vrel_config("site.Driver");
    write("site.ini", "[Driver]\nvalue=99\n");
    EXPECT_EQ(config.attr("value"), "60");
}

TEST_F(ConfigFolder, WithoutTheVariableTheConfigFolderOfTheWorkingDirectoryIsUsed) {
    fs::create_directories(dir_ / "config");
    write("config/site.ini", "[Driver]\nvalue=7\n");
    ::unsetenv("VREL_CONFIG_DIR");
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const vrel_string value = vrel_config("site.Driver").attr("value");
    fs::current_path(before);
    EXPECT_EQ(value, "7");
    EXPECT_EQ(vrel_config::directory(), "config");
    // Set but empty (as `VREL_CONFIG_DIR= cmd` leaves it) means the same as unset.
    ::setenv("VREL_CONFIG_DIR", "", 1);
    EXPECT_EQ(vrel_config::directory(), "config");
}

TEST_F(ConfigFolder, SkipsALeadingByteOrderMark) {
    // Editors on Windows save UTF-8 with one; the first section must still be found.
    write("site.ini", "\xEF\xBB\xBF[Driver]\r\nvalue=60\r\n");
    EXPECT_EQ(vrel_config("site.Driver").attr("value"), "60");
    // Only at the very start: elsewhere the bytes stay part of the text.
    write("site.ini", "[Driver]\nname=\xEF\xBB\xBFx\n");
    EXPECT_EQ(vrel_config("site.Driver").attr("name"), "\xEF\xBB\xBFx");
}

TEST_F(ConfigFolder, ReadsLongLinesAndALastLineWithoutLineEnd) {
    // A value longer than the reader's line and read buffers, a line end
    // falling anywhere in a read, and a last line the editor left open.
    const std::string longValue(9000, 'v');
    write("site.ini", "[Driver]\nlong=" + longValue + "\n" + std::string(5000, ';') + "\nlast = 5");
    vrel_config config("site.Driver");
    EXPECT_EQ(config.attr("long").str(), longValue);
    EXPECT_EQ(config.attr("last"), "5");
    write("other.ini", "[Driver]\nvalue=1");
    EXPECT_EQ(vrel_config("other.Driver").attr("value"), "1");
}

TEST(ShippedConfig, NamesTheUmdNameDriverDevice) {
    // The tests run with VREL_CONFIG_DIR set to the repository's config folder.
    EXPECT_EQ(vrel_config("velmorcast.StA_UMD_Names_DriverID").attr("value"), "60");
}

}  // namespace
