// Finding the operating guide: installed beside the program first, then the
// source tree, and every folder looked in named when neither has it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/GuideFiles.h"

namespace fs = std::filesystem;

namespace {

struct Tree {
    fs::path top = fs::temp_directory_path() /
                   ("nbtv-guide-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Tree() {
        fs::remove_all(top);
        fs::create_directories(top / "usr" / "bin");
        fs::create_directories(top / "src" / "docs");
    }
    ~Tree() { fs::remove_all(top); }
    void put(const fs::path& folder) {
        fs::create_directories(folder);
        std::ofstream(folder / platform::GuideFileName) << "# guide\n";
    }
    std::string installed() const { return (top / "usr" / "share" / "doc" / "nbtv").string(); }
    std::string bin() const { return (top / "usr" / "bin").string(); }
    std::string docs() const { return (top / "src" / "docs").string(); }
};

}  // namespace

TEST(GuideFiles, InstalledCopyBesideTheProgramComesFirst) {
    Tree tree;
    tree.put(tree.installed());
    tree.put(tree.docs());
    const platform::GuideSearch search = platform::findGuide(tree.bin(), tree.docs());
    EXPECT_EQ(search.found, tree.installed() + "/operating-guide.md");
    EXPECT_EQ(search.looked, std::vector<std::string>{tree.installed()});
}

TEST(GuideFiles, SourceTreeWhenNothingIsInstalled) {
    Tree tree;
    tree.put(tree.docs());
    const platform::GuideSearch search = platform::findGuide(tree.bin() + "/", tree.docs());
    EXPECT_EQ(search.found, tree.docs() + "/operating-guide.md");
    EXPECT_EQ(search.looked, (std::vector<std::string>{tree.installed(), tree.docs()}));
}

TEST(GuideFiles, NoneFoundNamesEveryFolderAndAFolderIsNoGuide) {
    Tree tree;
    // A folder of the guide's name is not the guide.
    fs::create_directories(fs::path(tree.installed()) / platform::GuideFileName);
    platform::GuideSearch search = platform::findGuide(tree.bin(), tree.docs());
    EXPECT_EQ(search.found, "");
    EXPECT_EQ(search.looked, (std::vector<std::string>{tree.installed(), tree.docs()}));
    // Without a source tree only the installed place is looked in.
    search = platform::findGuide(tree.bin(), "");
    EXPECT_EQ(search.looked, std::vector<std::string>{tree.installed()});
}
