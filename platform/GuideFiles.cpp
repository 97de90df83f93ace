#include "platform/GuideFiles.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

GuideSearch findGuide(const std::string& programFolder) {
    std::vector<fs::path> folders;
    if (!programFolder.empty())
        folders.push_back((fs::path(programFolder) / ".." / "share" / "doc" / "nbtv").lexically_normal());
    GuideSearch search;
    for (const fs::path& folder : folders) {
        std::string shown = folder.string();
        if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
        search.looked.push_back(shown);
        std::error_code error;
        const fs::path guide = folder / GuideFileName;
        if (fs::is_regular_file(guide, error)) {
            search.found = guide.string();
            break;
        }
    }
    return search;
}

GuideSearch findOperatingGuide() {
    const std::string programFolder =
        QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath().toStdString() : "";
    return findGuide(programFolder);
}

}  // namespace platform
