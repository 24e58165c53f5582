#include "debugif/lpt_primitives.h"

#include "platform/clock.h"

namespace debugif {

namespace {

NullLptPrimitives nullPrimitives;
LptPrimitives* installed = &nullPrimitives;

} // namespace

uint32_t NullLptPrimitives::TimeStampMs() {
    return platform::TickCountMs();
}

LptPrimitives& Lpt() {
    return *installed;
}

void SetLptPrimitives(LptPrimitives* primitives) {
    installed = primitives != nullptr ? primitives : &nullPrimitives;
}

} // namespace debugif
