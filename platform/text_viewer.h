#pragma once
// The program that shows a text file to the operator.

#include <string>
#include <vector>

namespace platform {

// The viewer's command: the file's path is appended as the last argument.
// The default is {"xdg-open"}.
const std::vector<std::string>& TextViewer();

// Sets the viewer command; an empty vector restores the default.
void SetTextViewer(std::vector<std::string> command);

// How long a viewer that fails at once (xdg-open without a desktop) may
// take to say so.
inline constexpr int kViewerFailWaitMs = 1000;

// Starts the viewer on path. When it cannot be started, or ends with a
// failure at once, the handler installed below is told (the program shows
// the operator where the file is); false then.
bool TextViewerShow(const std::string& path);
// nullptr: nobody is told.
using ViewerFailedHandler = void (*)(const std::string& path);
void SetViewerFailedHandler(ViewerFailedHandler handler);

} // namespace platform
