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

} // namespace platform
