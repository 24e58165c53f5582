#include "core/code_image_state.h"

#include "core/code_image.h"
#include "core/code_store.h"
#include "core/passwords.h"
#include "core/serial_data.h"

namespace core {

void CodeImageStateReset() {
    Images.Reset();
    Passwords.Reset();
    SerialData.Reset();
    CodeLoad.Reset();
}

} // namespace core
