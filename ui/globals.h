#pragma once
// The dialog layer's global state in one place. Applications never use
// this header.

#include "ui/canvas.h"
#include "ui/test_session.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Backend;
class Dialog;
} // namespace ui

namespace ui::detail {

struct BitmapEntry {
    int width = 0;
    int height = 0;
    BitmapPainter paint;
    unsigned generation = 0; // changes on every registration, for caches
};

struct UiGlobals {
    Backend* backend = nullptr; // nullptr: headless
    std::vector<Dialog*> openDialogs;
    std::vector<std::string> transcript;
    bool recording = false;
    TestSession::Impl* session = nullptr;
    std::map<int, BitmapEntry> bitmaps;
    unsigned bitmapGeneration = 0;
    double fontPoints = 9.0;
};

UiGlobals& Globals();

// The active test session's parts (nothing without a session).
bool SessionActive();
std::optional<Script> TakeScript(int dialogId);
// Outer empty: no answer scripted; inner empty: a scripted Cancel.
std::optional<std::optional<std::string>> TakeFileAnswer();

// Box text for a transcript line: CR and LF shown as \r and \n.
std::string Escaped(const std::string& text);
const char* AnswerName(int answer);

} // namespace ui::detail
