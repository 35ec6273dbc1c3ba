// Where vrel-host looks for its panel files and script library: beside itself,
// then in the installed tree relative to itself; the source tree never, except
// for the build tree's own executable.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "install_layout.h"

namespace {

namespace fs = std::filesystem;

class InstalledTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "install_layout_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "share/kelvane/panels");
        fs::create_directories(root_ / "lib/kelvane");
        std::ofstream(root_ / "lib/kelvane/libkelvane.so") << "";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path root_;
};

TEST_F(InstalledTree, FindsTheInstalledFilesRelativeToTheExecutable) {
    const vrelhost::InstallLayout layout((root_ / "bin").string());
    EXPECT_EQ(layout.findPanelFolder(), (root_ / "share/kelvane/panels").string());
    EXPECT_EQ(layout.findScriptLibrary("libkelvane.so"), (root_ / "lib/kelvane/libkelvane.so").string());
    // Not the build tree's executable: the source tree is no candidate.
    EXPECT_EQ(layout.panelFolders().size(), 2u);

    // What sits beside the executable comes first.
    fs::create_directories(root_ / "bin/panels");
    std::ofstream(root_ / "bin/libkelvane.so") << "";
    EXPECT_EQ(layout.findPanelFolder(), (root_ / "bin/panels").string());
    EXPECT_EQ(layout.findScriptLibrary("libkelvane.so"), (root_ / "bin/libkelvane.so").string());
}

TEST_F(InstalledTree, NothingFoundNamesTheFirstCandidate) {
    fs::remove_all(root_ / "share");
    const vrelhost::InstallLayout layout((root_ / "bin").string());
    EXPECT_EQ(layout.findPanelFolder(), (root_ / "bin/panels").string());
}

}  // namespace
