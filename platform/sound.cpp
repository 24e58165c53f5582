#include "platform/sound.h"

#include "platform/clock.h"
#include "platform/process.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace platform {

namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

class AplaySound : public SoundService {
public:
    bool PlayWave(const std::string& path) override {
        if (path.empty() || !PlaybackDeviceExists())
            return false;
        RunResult r = RunAndWait({"aplay", "-q", path}, {});
        return r.started && r.exitStatus == 0;
    }

    void Beep(uint32_t hz, uint32_t ms) override {
        if (ms == 0)
            return;
        // A tone the player cannot take still lasts its length.
        if (hz < 37 || hz > 32767 || !PlaybackDeviceExists() || !PlayTone(hz, ms)) {
            SleepMilliseconds(ms);
        }
    }

private:
    bool PlayTone(uint32_t hz, uint32_t ms) {
        char path[] = "/tmp/quill-tone-XXXXXX";
        int fd = mkstemp(path);
        if (fd < 0)
            return false;
        std::string wave = ToneWaveBytes(hz, ms);
        bool written = write(fd, wave.data(), wave.size()) == static_cast<ssize_t>(wave.size());
        close(fd);
        bool played = written && PlayWave(path);
        unlink(path);
        return played;
    }
};

SoundService* gService = nullptr;

} // namespace

bool PlaybackDeviceFound(const std::string& devDir, const std::string& runtimeDir,
                         const std::string& pulseServer) {
    if (!pulseServer.empty()) {
        return true;
    }
    std::error_code ec;
    if (!runtimeDir.empty() && std::filesystem::exists(runtimeDir + "/pulse/native", ec)) {
        return true;
    }
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && name.compare(0, 4, "pcmC") == 0 && name.back() == 'p') {
            return true;
        }
    }
    return false;
}

int gDeviceOverride = -1;

bool PlaybackDeviceExists() {
    if (gDeviceOverride >= 0) {
        return gDeviceOverride == 1;
    }
    static const bool found = [] {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const char* pulse = std::getenv("PULSE_SERVER");
        return PlaybackDeviceFound("/dev/snd", runtime != nullptr ? runtime : "",
                                   pulse != nullptr ? pulse : "");
    }();
    return found;
}

void SetPlaybackDeviceOverride(int known) {
    gDeviceOverride = known;
}

SoundService& SystemSound() {
    static AplaySound sound;
    return sound;
}

void SetSoundService(SoundService* service) {
    gService = service;
}

bool PlayWave(const std::string& path) {
    return (gService ? *gService : SystemSound()).PlayWave(path);
}

void Beep(uint32_t hz, uint32_t ms) {
    (gService ? *gService : SystemSound()).Beep(hz, ms);
}

std::string ToneWaveBytes(uint32_t hz, uint32_t ms) {
    constexpr uint32_t kRate = 8000;
    const uint32_t samples = static_cast<uint32_t>(static_cast<uint64_t>(kRate) * ms / 1000);
    const uint32_t dataBytes = samples * 2;
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutLe(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2); // PCM
    PutLe(out, 1, 2); // mono
    PutLe(out, kRate, 4);
    PutLe(out, kRate * 2, 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    out += "data";
    PutLe(out, dataBytes, 4);
    const double step = 2.0 * M_PI * hz / kRate;
    for (uint32_t i = 0; i < samples; ++i) {
        auto v = static_cast<int16_t>(std::lround(12000.0 * std::sin(step * i)));
        PutLe(out, static_cast<uint16_t>(v), 2);
    }
    return out;
}

} // namespace platform
