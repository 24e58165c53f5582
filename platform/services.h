#pragma once
// One call that puts every replaceable platform service back to the real one.

namespace platform {

// Real clock, headless prompts, real process launcher, real sound, default text viewer,
// no program-directory override, no atomic-file commit or file-append hook,
// file locks taken.
void ResetServices();

} // namespace platform
