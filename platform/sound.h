#pragma once
// Result sounds and beeps. The real service plays through ALSA's "aplay";
// without it (no program, no sound card) a sound is silent, and a beep still
// takes its length, so the pacing of a run is the same with or without
// speakers. Tests replace the service and record what would have sounded.

#include <cstdint>
#include <string>

namespace platform {

class SoundService {
public:
    virtual ~SoundService() = default;
    // Plays a wave file to its end. Returns true when it was played.
    virtual bool PlayWave(const std::string& path) = 0;
    // A tone of hz for ms milliseconds; returns after the tone.
    virtual void Beep(uint32_t hz, uint32_t ms) = 0;
};

// The real service: "aplay -q" (waited for); a beep is a generated tone.
SoundService& SystemSound();

// Routes the free functions below to service; nullptr restores the real one.
// The caller keeps service alive while it is set.
void SetSoundService(SoundService* service);

bool PlayWave(const std::string& path);
void Beep(uint32_t hz, uint32_t ms);

// Whether sound can be played here: a playback device of the sound
// driver (devDir, normally /dev/snd, holds a "pcmC<card>D<device>p"), or a
// sound server to hand it to (PULSE_SERVER set, or its socket "pulse/native"
// in the runtime directory). The real service asks once and, with none,
// stays silent without starting the player, which would only complain.
bool PlaybackDeviceFound(const std::string& devDir, const std::string& runtimeDir,
                         const std::string& pulseServer);
// The same for this machine, found out at the first call.
bool PlaybackDeviceExists();
// For tests: 1 a device is there, 0 none, -1 find out (the default).
void SetPlaybackDeviceOverride(int known);

// The bytes of a 16-bit mono PCM wave file holding a sine tone of hz for ms
// at 8000 samples per second (what the real service hands to the player).
std::string ToneWaveBytes(uint32_t hz, uint32_t ms);

} // namespace platform
