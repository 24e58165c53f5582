#include "platform/text_viewer.h"

#include "platform/process.h"

#include <utility>

namespace platform {
namespace {

const std::vector<std::string>& DefaultViewer() {
    static const std::vector<std::string> viewer{"xdg-open"};
    return viewer;
}

std::vector<std::string> viewer = DefaultViewer();
ViewerFailedHandler failedHandler = nullptr;

} // namespace

const std::vector<std::string>& TextViewer() {
    return viewer;
}

void SetTextViewer(std::vector<std::string> command) {
    viewer = command.empty() ? DefaultViewer() : std::move(command);
}

bool TextViewerShow(const std::string& path) {
    std::vector<std::string> argv = viewer;
    argv.push_back(path);
    if (StartWatchedLonger(argv, kViewerFailWaitMs, kViewerLateFailMs) == 0) {
        return true;
    }
    if (failedHandler != nullptr) {
        failedHandler(path);
    }
    return false;
}

void TextViewerLateFailuresReport() {
    for (const std::vector<std::string>& argv : LateFailures()) {
        if (failedHandler != nullptr && !argv.empty()) {
            // The file's path is the viewer's last argument.
            failedHandler(argv.back());
        }
    }
}

void SetViewerFailedHandler(ViewerFailedHandler handler) {
    failedHandler = handler;
}

} // namespace platform
