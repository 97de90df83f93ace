// Pictures and recordings are created as any new file of the user's is,
// with the mode the umask gives, including those that appear through a
// temporary file; a replaced picture keeps its own mode.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/PictureFiles.h"
#include "platform/SoundRecorder.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "nbtv-files-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

unsigned modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
}

// The umask for the life of the object.
struct Umask {
    mode_t before;
    explicit Umask(mode_t mask) : before(::umask(mask)) {}
    ~Umask() { ::umask(before); }
};

}  // namespace

TEST(NewFiles, PicturesAndRecordingsFollowTheUmask) {
    const std::vector<std::uint8_t> grey(96 * 120, 128);
    for (const auto& [mask, expected] : {std::pair{mode_t{022}, 0644u}, {mode_t{077}, 0600u}, {mode_t{002}, 0664u}}) {
        SCOPED_TRACE(mask);
        Folder folder;
        const Umask scope(mask);
        std::string error, saved;
        ASSERT_TRUE(platform::savePicture(folder / "saved.png", grey.data(), 96, 120, error)) << error;
        EXPECT_EQ(modeOf(folder / "saved.png"), expected);
        ASSERT_TRUE(platform::savePictureAsNew(folder / "auto", "pic", grey.data(), 96, 120, saved, error)) << error;
        EXPECT_EQ(modeOf(saved), expected);
        platform::SoundRecorder recorder;
        ASSERT_TRUE(recorder.open(folder / "rec.wav", 10000, error)) << error;
        ASSERT_TRUE(recorder.close(error)) << error;
        EXPECT_EQ(modeOf(folder / "rec.wav"), expected);
        // Nothing else is left beside them.
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.path)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"auto", "rec.wav", "saved.png"}));
    }
}

TEST(NewFiles, AReplacedPictureOrRecordingKeepsItsMode) {
    Folder folder;
    const Umask scope(022);
    const std::vector<std::uint8_t> grey(96 * 120, 200);
    std::string error;
    ASSERT_TRUE(platform::savePicture(folder / "p.png", grey.data(), 96, 120, error)) << error;
    ASSERT_EQ(::chmod((folder / "p.png").c_str(), 0640), 0);
    ASSERT_TRUE(platform::savePicture(folder / "p.png", grey.data(), 96, 120, error)) << error;
    EXPECT_EQ(modeOf(folder / "p.png"), 0640u);

    platform::SoundRecorder recorder;
    ASSERT_TRUE(recorder.open(folder / "r.wav", 10000, error)) << error;
    ASSERT_TRUE(recorder.close(error));
    ASSERT_EQ(::chmod((folder / "r.wav").c_str(), 0604), 0);
    ASSERT_TRUE(recorder.open(folder / "r.wav", 10000, error)) << error;
    ASSERT_TRUE(recorder.close(error));
    EXPECT_EQ(modeOf(folder / "r.wav"), 0604u);
}
