#include "debugif/uif_link_state.h"

namespace debugif {

UifLinkState UifLink;

void UifLinkState::Reset() {
    *this = UifLinkState{};
}

} // namespace debugif
