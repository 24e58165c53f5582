#include "platform/text_viewer.h"

#include <utility>

namespace platform {
namespace {

const std::vector<std::string>& DefaultViewer() {
    static const std::vector<std::string> viewer{"xdg-open"};
    return viewer;
}

std::vector<std::string> viewer = DefaultViewer();

} // namespace

const std::vector<std::string>& TextViewer() {
    return viewer;
}

void SetTextViewer(std::vector<std::string> command) {
    viewer = command.empty() ? DefaultViewer() : std::move(command);
}

} // namespace platform
