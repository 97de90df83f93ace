#pragma once
// A document in a window of its own: a Markdown file shown formatted, its
// pictures beside it. Nothing here exposes Qt.
#include <string>

namespace dialog {

// Opens the Markdown file at path in a resizable window with the given
// title, or brings the open one to the front showing that file.
void openDocument(const std::string& path, const std::string& title);
void closeDocument();
// Read-back for tests: the file shown and its text as the reader sees it
// (no markup); both "" while no document window is open.
std::string documentShown();
std::string documentText();

}  // namespace dialog
