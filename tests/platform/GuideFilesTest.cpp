// Finding the operating guide beside the program, and the folder looked in
// named when it is not there.
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
    }
    ~Tree() { fs::remove_all(top); }
    void put(const fs::path& folder) {
        fs::create_directories(folder);
        std::ofstream(folder / platform::GuideFileName) << "# guide\n";
    }
    std::string installed() const { return (top / "usr" / "share" / "doc" / "nbtv").string(); }
    std::string bin() const { return (top / "usr" / "bin").string(); }
};

}  // namespace

TEST(GuideFiles, FoundBesideTheProgram) {
    Tree tree;
    tree.put(tree.installed());
    for (const std::string& bin : {tree.bin(), tree.bin() + "/"}) {
        const platform::GuideSearch search = platform::findGuide(bin);
        EXPECT_EQ(search.found, tree.installed() + "/operating-guide.md");
        EXPECT_EQ(search.looked, std::vector<std::string>{tree.installed()});
    }
}

TEST(GuideFiles, NoneFoundNamesTheFolderAndAFolderIsNoGuide) {
    Tree tree;
    // A folder of the guide's name is not the guide.
    fs::create_directories(fs::path(tree.installed()) / platform::GuideFileName);
    const platform::GuideSearch search = platform::findGuide(tree.bin());
    EXPECT_EQ(search.found, "");
    EXPECT_EQ(search.looked, std::vector<std::string>{tree.installed()});
}
