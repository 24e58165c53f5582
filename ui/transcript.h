#pragma once
// The transcript: one line per thing that happened in the dialog layer,
// kept only while a TestSession is active. Line forms are in ui/README.md.

#include <string>
#include <string_view>
#include <vector>

namespace ui {

bool TranscriptRecording();
// Appends a line (only while recording).
void TranscriptAdd(std::string line);
// "note: " + text.
void Note(const std::string& text);
const std::vector<std::string>& TranscriptLines();
std::string TranscriptText(); // the lines, each ended by '\n'
// True when some line contains fragment.
bool TranscriptHas(std::string_view fragment);
void TranscriptClear();

} // namespace ui
