// The document window: a Markdown file rendered by the toolkit's text
// browser, which also finds the pictures it names beside it.
#include "dialog/DocumentWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "dialog/ToolWindow.h"

namespace dialog {

namespace {

class DocumentView : public ToolWindow {
public:
    DocumentView(const QString& title, std::function<void()> closed)
        : ToolWindow(nullptr, 0, title, QSize(760, 700), std::move(closed)) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        browser = new QTextBrowser(this);
        browser->setOpenExternalLinks(true);
        browser->document()->setDocumentMargin(12);
        layout->addWidget(browser);
    }
    QTextBrowser* browser = nullptr;
    std::string path;
};

DocumentView* window = nullptr;

}  // namespace

void openDocument(const std::string& path, const std::string& title) {
    if (window == nullptr) {
        window = new DocumentView(QString::fromStdString(title), [] { window = nullptr; });
    }
    window->setWindowTitle(QString::fromStdString(title));
    if (window->path != path) {
        window->path = path;
        window->browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)),
                                   QTextDocument::MarkdownResource);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void closeDocument() {
    ToolWindow* open = window;
    window = nullptr;
    dismiss(open);
}

std::string documentShown() { return window != nullptr ? window->path : std::string(); }

std::string documentText() {
    return window != nullptr ? window->browser->toPlainText().toStdString() : std::string();
}

}  // namespace dialog
