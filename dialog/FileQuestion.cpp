// The save-file question.
#include <QFileDialog>

#include "dialog/ToolWindows.h"
#include "dialog/WindowRecord.h"

namespace dialog {

namespace {
SaveFileHook saveFileHook = nullptr;
}

void setSaveFileHook(SaveFileHook hook) { saveFileHook = hook; }

std::string askSaveFileName(const std::string& caption, const std::string& proposedPath,
                            const std::string& filter) {
    if (saveFileHook != nullptr) return saveFileHook(caption, proposedPath);
    const QString path = QFileDialog::getSaveFileName(nullptr, fromText(caption),
                                                      fromText(proposedPath), fromText(filter));
    return path.toStdString();
}

}  // namespace dialog
