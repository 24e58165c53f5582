#pragma once
// What the menu handlers and the command line call: save the job as a
// project, open a project, and the unlock check of a locked project.

#include <cstdint>
#include <string>

namespace gui {

// The file dialogs' filter and default extension for projects.
inline constexpr const char* kProjectFileFilter = "Project format(*.prj)|*.prj||";
inline constexpr const char* kProjectFileExt = "prj";

// Takes targetTag (at most 8 characters), asks for the security options,
// sets ProjectKey by the mode, asks for the path (Save as, overwrite prompt)
// and writes the project. Returns ProjectWrite's result, 0 when a dialog was
// cancelled.
int32_t ProjectSaveAs(const std::string& targetTag, const std::string& programName);

// Takes targetTag (at most 8 characters); reads path, or, when it is empty,
// the file chosen in the Open dialog. Returns ProjectRead's result, 0 when
// the dialog was cancelled.
int32_t ProjectOpen(const std::string& path, const std::string& targetTag);

// Asks for the unlock password ("Enter unlock password.") and tests it
// against the token line of the last project read: 1 unlocked; a wrong one
// shows "Wrong Password. " and returns -1; a cancelled prompt returns the
// prompt's result (0).
int32_t ProjectUnlockCheck();

} // namespace gui
