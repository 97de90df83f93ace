// Readouts keep their form whatever the user's locale. The toolkit applies
// the environment's locale when it starts, and in much of Europe that
// writes numbers with a decimal comma.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dialog/DialogLayer.h"

namespace {

bool numbersUseComma() {
    const std::lconv* conventions = std::localeconv();
    return conventions != nullptr && std::string(conventions->decimal_point) == ",";
}

// Sets LC_NUMERIC to a locale with a decimal comma: an installed one, else
// one compiled into `folder` with localedef. False when neither works.
bool useDecimalCommaLocale(std::string& folder) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr && numbersUseComma()) return true;
    std::string pattern = (std::filesystem::temp_directory_path() / "nbtv-locale-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    folder = pattern;
    const std::string make = "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) return false;
    ::setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr && numbersUseComma();
}

}  // namespace

TEST(NumberTextLocale, ReadoutsKeepTheirPointUnderADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string folder;
    const bool haveComma = useDecimalCommaLocale(folder);
    std::string rate, small, large, whole;
    if (haveComma) {
        rate = dialog::numberText(10000.0 / 3841);
        small = dialog::numberText(0.05);
        large = dialog::numberText(123456789012345678.0);
        whole = dialog::numberText(-8000);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    ::unsetenv("LOCPATH");
    if (!folder.empty()) std::filesystem::remove_all(folder);
    if (!haveComma) GTEST_SKIP() << "no locale with a decimal comma here, and localedef could not make one";

    EXPECT_EQ(rate, "2.60348867482426");
    EXPECT_EQ(small, ".05");
    EXPECT_EQ(large, "1.23456789012346E+17");
    EXPECT_EQ(whole, "-8000");
}
