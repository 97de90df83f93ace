// Where nbtvcodec writes: standard input and output, special files and
// links written through, outputs that would overwrite the input or each
// other refused, old outputs kept on failure; and its option forms.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "tests/codec/DecodeTestSupport.h"

using namespace decodetest;

namespace {

int encode(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return runEncode(static_cast<int>(argv.size()), argv.data());
}

void saveCard(const TempDir& dir, const std::string& name, bool transparent = false) {
    QImage card(96, 120, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 96; ++x) card.setPixel(x, y, x < 48 ? qRgba(x * 5, y * 2, 0, 255) : qRgba(0, 0, 0, transparent ? 0 : 255));
    ASSERT_TRUE(card.save(QString::fromStdString(dir / name)));
}

}  // namespace

TEST(Outputs, StandardInputAndOutputMakeAPipe) {
    ASSERT_TRUE(fs::exists(codecProgram())) << codecProgram() << " is not built";
    TempDir dir;
    saveCard(dir, "card.png");
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "card.wav", "--frames=3"}), 0);
    ASSERT_EQ(decode({dir / "card.wav", "--png", dir / "file.png", "--dump-store", dir / "store"}).status, 0);
    ASSERT_EQ(shell(dir, "$C encode card.png -o - --frames 3 | $C decode - --png - --dump-store ./piped-store"
                         " 2>/dev/null >piped.png"), 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir / "piped.png")), QImage(QString::fromStdString(dir / "file.png")));
    EXPECT_TRUE(readFile(dir / "piped-store") == readFile(dir / "store"));
    // A stream longer than its header says still decodes to its end.
    ASSERT_EQ(shell(dir, "cat card.wav | $C decode - --levels 2>/dev/null >levels"), 0);
    EXPECT_EQ(lines(readFile(dir / "levels")).size(), 3u);
    // Long enough that the file is completed well after its start went out:
    // to a pipe it is still the file, byte for byte, and it decodes whole.
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "long.wav", "--frames", "12"}), 0);
    ASSERT_EQ(shell(dir, "$C encode card.png -o - --frames 12 >long-piped.wav"), 0);
    EXPECT_TRUE(readFile(dir / "long-piped.wav") == readFile(dir / "long.wav"));
    ASSERT_EQ(shell(dir, "$C decode long.wav --levels 2>/dev/null >long-levels"), 0);
    EXPECT_EQ(lines(readFile(dir / "long-levels")).size(), 12u);
}

TEST(Outputs, SpecialFilesAreWrittenThroughAndLinksFollowed) {
    TempDir dir;
    saveCard(dir, "card.png");
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "card.wav"}), 0);
    const std::string wav = readFile(dir / "card.wav");

    // A FIFO with a reader at its other end.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(shell(dir, "(cat fifo >from-fifo) & $C encode card.png -o fifo; status=$?;"
                         " [ $status -eq 0 ] || : >fifo; wait; exit $status"), 0);
    EXPECT_TRUE(readFile(dir / "from-fifo") == wav);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));

    // A link: the target is replaced, the link stays.
    std::ofstream(dir / "target.wav") << "old";
    fs::create_symlink("target.wav", dir / "link.wav");
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "link.wav"}), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
    EXPECT_TRUE(readFile(dir / "target.wav") == wav);

    // A device node stays a device node.
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "null"}), 0);
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
}

TEST(Outputs, OverwritingTheInputOrAnotherOutputIsRefusedAndOldOutputsKept) {
    TempDir dir;
    saveCard(dir, "card.png");
    ASSERT_EQ(encode({dir / "card.png", "-o", dir / "card.wav"}), 0);
    fs::create_hard_link(dir / "card.wav", dir / "hard.wav");
    std::ofstream(dir / "old.png") << "old";
    const std::string wav = readFile(dir / "card.wav");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"hard.wav", "--png", "./card.wav"}, "names the input file"},
        {{"card.wav", "--dump-store", "../" + dir.path.filename().string() + "/hard.wav"}, "names the input file"},
        {{"card.wav", "--png", "new.png", "--dump-signal", "./new.png"}, "name the same file"},
        {{"card.wav", "--png", "-", "--levels"}, "standard output"},
        {{"card.wav", "--png", "-", "--dump-store", "-"}, "name the same file"},
        {{"card.wav", "--png", "old.png", "--channel=1", "--frame-samples", "16800"}, "fewer than one frame"},
        {{"card.wav"}, "--png, --png-dir, --dump-signal, --dump-store or --levels"},
        {{"card.wav", "--png", "p.png", "--rate", "10100"}, "multiple of 200"},
        {{"card.wav", "--png", "p.png", "--rate", "10000", "--no-resample"}, "exclude each other"},
    };
    const fs::path before = fs::current_path();
    fs::current_path(dir.path);
    for (const auto& [args, says] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const DecodeRun run = decode(args);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
    testing::internal::CaptureStderr();
    EXPECT_NE(encode({"card.wav", "--raw-words", "-o", "./hard.wav"}), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("names the input file"), std::string::npos);
    fs::current_path(before);
    EXPECT_TRUE(readFile(dir / "card.wav") == wav);
    EXPECT_EQ(readFile(dir / "old.png"), "old");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"card.png", "card.wav", "hard.wav", "old.png"}));
}

TEST(Outputs, TransparentPartsEncodeAsWhite) {
    TempDir dir;
    saveCard(dir, "clear.png", true);
    QImage white(QString::fromStdString(dir / "clear.png"));
    white = white.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 48; x < 96; ++x) white.setPixel(x, y, qRgb(255, 255, 255));
    ASSERT_TRUE(white.save(QString::fromStdString(dir / "white.png")));
    ASSERT_EQ(encode({dir / "clear.png", "-o", dir / "clear.wav"}), 0);
    ASSERT_EQ(encode({dir / "white.png", "-o", dir / "white.wav"}), 0);
    EXPECT_TRUE(readFile(dir / "clear.wav") == readFile(dir / "white.wav"));
}
