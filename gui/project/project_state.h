#pragma once
// The project-file state: what the next save uses, what the last read found,
// and the flags the writer, the reader and the two project dialogs share.
// The security settings last until the program ends; they are not saved.

#include "core/state_registry.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace gui {

// This program's target tag and name, as the first line of its project files
// carries them.
inline constexpr const char* kProjectTargetTag = "DER816";
inline constexpr const char* kProjectProgramName = "Quillbay";

// Protection modes (ProjectModeSetting, ProjectModeRead).
inline constexpr int32_t kProjectModeNone = 1;
inline constexpr int32_t kProjectModePassword = 2;
inline constexpr int32_t kProjectModePc = 3;

// Lock option bits.
inline constexpr int32_t kProjectLocked = 1;             // "Locked Project"
inline constexpr int32_t kProjectLockedRead = 2;         // "Locked Read options"
inline constexpr int32_t kProjectUnlockWithPassword = 4; // "UnLock with password", only with 1

// Text limits (characters).
inline constexpr size_t kProjectPasswordMax = 16;
inline constexpr size_t kProjectPcCodeLength = 9; // "XXXX-XXXX"
inline constexpr size_t kProjectTokenLineMax = 30;

struct ProjectState {
    std::string ProjectTargetTag = kProjectTargetTag; // at most 8 characters
    int32_t ProjectModeSetting = kProjectModeNone;    // mode for saving, 1..3
    int32_t ProjectModeRead = kProjectModeNone;       // mode of the last project read
    int32_t ProjectLockOptionsSetting = 0;            // lock options for saving
    int32_t ProjectLockOptionsRead = 0;               // lock options of the last project read (& 7)
    std::string ProjectPassword;                      // mode 2 password, at most 16, case-sensitive
    std::string ProjectPcCode;                        // mode 3 PC number "XXXX-XXXX", upper case
    std::string ProjectUnlockPassword;                // at most 16
    std::string ProjectKey;                           // scrambler key of lines 4 onwards
    std::string ProjectTokenLine;    // line 3 as read (still scrambled), at most 30
    int32_t ProjectScrambleOn = 0;   // 1 only while a project is written or read
    int32_t ProjectDialogResult = 0; // 1 OK, 0 cancelled or refused

    void Reset(); // tag "DER816", modes 1, everything else empty or 0
};

extern ProjectState Project;

// The project files' state objects: Project and ProjectScrambler.
core::StateTable ProjectStateObjects();

// ProjectState and the scrambler back to their start values.
void ProjectStateReset();

// Message box with text, caption "Error" and the stop icon. Returns 0.
int32_t ProjectErrorBox(const std::string& text);

} // namespace gui
