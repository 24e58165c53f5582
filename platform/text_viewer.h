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
// How long after its start a viewer that failed later (one that tried
// program after program first) still counts as one that did not show the
// file.
inline constexpr int kViewerLateFailMs = 20000;

// Starts the viewer on path. When it cannot be started, or ends with a
// failure at once, the handler installed below is told (the program shows
// the operator where the file is); false then. A viewer still running then
// is watched on: TextViewerLateFailuresReport tells of its failure later.
bool TextViewerShow(const std::string& path);
// Tells the handler of every viewer that has failed since it was started
// (after kViewerFailWaitMs, within kViewerLateFailMs), each once. Never
// waits: the program calls it from its timer.
void TextViewerLateFailuresReport();
// nullptr: nobody is told.
using ViewerFailedHandler = void (*)(const std::string& path);
void SetViewerFailedHandler(ViewerFailedHandler handler);

} // namespace platform
