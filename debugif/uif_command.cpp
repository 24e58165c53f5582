#include "debugif/uif_command.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_transaction.h"

#include <algorithm>
#include <mutex>

namespace debugif {

int32_t UifFail(int32_t error) {
    Api.LastErrorNumber = error;
    return -1;
}

int32_t UifCommand(uint8_t id, uint8_t type, std::initializer_list<uint32_t> params,
                   const uint8_t* data, uint32_t length) {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (params.size() > kUifMaxParameters) {
        return UifFail(kErrorInvalidParameter);
    }
    UifRequest& r = UifLink.RequestBlock;
    r = UifRequest{};
    r.command_id = id;
    r.message_type = type;
    r.parameter_count = static_cast<uint16_t>(params.size());
    std::copy(params.begin(), params.end(), r.parameters);
    r.data_length = data != nullptr ? length : 0;
    r.data = data;
    return UifTransaction();
}

bool UifReplyHasParams(uint16_t count) {
    if (UifLink.ResponseBlock.parameter_count < count) {
        UifFail(kErrorCommunication);
        return false;
    }
    return true;
}

bool UifReplyHasData(uint32_t count) {
    const UifResponse& r = UifLink.ResponseBlock;
    if (r.data == nullptr ? count > 0 : r.data_length < count) {
        UifFail(kErrorCommunication);
        return false;
    }
    return true;
}

bool UifReplyHasExactData(uint32_t count) {
    const UifResponse& r = UifLink.ResponseBlock;
    if (r.data == nullptr ? count > 0 : r.data_length != count) {
        UifFail(kErrorCommunication);
        return false;
    }
    return true;
}

} // namespace debugif
