#pragma once
// The program's own preferences, kept in "prefer.ini" in the working
// directory: result sounds, PC-speaker beeps, the report-history display,
// the PDF reader and the ".out" converter; and the result sound itself.

#include <cstdint>
#include <string>

namespace gui {

// The report-history switch lives in core::Settings.ReportHistory, the
// converter path in core::CodeLoad.TOOL1_filename and the PDF reader in
// Startup.PdfReaderName; the rest is here.
struct PreferencesState {
    int32_t BeepOkEnable = 1;    // beeps after a passed procedure
    int32_t PCSpeaker = 1;       // beeps at all
    int32_t SoundEnable = 0;     // wave files
    std::string Sound1FileName;  // errors (types 2 and 3)
    std::string Sound2FileName;  // done / OK (type 1)
    std::string Sound3FileName;  // warnings (type 4)
    std::string PreferencesPath; // where PreferencesLoad looked; saves go there

    void Reset() { *this = PreferencesState{}; }
};

extern PreferencesState Preferences;

inline constexpr size_t kTool1MaxLength = 256;

// The file's bytes for the preferences as they stand.
std::string PreferencesText();
// Takes the preferences a file's text gives; keys it lacks keep their value.
void PreferencesParse(const std::string& text);

// At start-up: "prefer.ini" in the working directory (remembered as the
// path of every later save); a missing file changes nothing.
void PreferencesLoad();
// Replaces the file at the load path as a whole. 1 written, 0 not (with the
// write error box).
int32_t PreferencesSave();

// Result types of ResultSound.
inline constexpr int32_t kSoundDone = 1;
inline constexpr int32_t kSoundError = 2;
inline constexpr int32_t kSoundFailed = 3;
inline constexpr int32_t kSoundWarning = 4;

// The wave file of the type (with SoundEnable), then the PC-speaker beeps.
void ResultSound(int32_t type);

} // namespace gui
