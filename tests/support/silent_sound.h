#pragma once
// Sounds and beeps that go nowhere: a test never plays through the
// machine's speakers, nor waits for a tone.

#include "platform/sound.h"

#include <cstdint>
#include <string>

namespace testsupport {

class SilentSound final : public platform::SoundService {
public:
    bool PlayWave(const std::string&) override { return true; }
    void Beep(uint32_t, uint32_t) override {}
};

} // namespace testsupport
