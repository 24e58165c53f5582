#include "core/target_result.h"

#include "core/debug_api.h"
#include "core/debug_error_table.h"
#include "core/target_state.h"

#include <cstdio>

namespace core {

int32_t TargetResultMap(DebugStatus status) {
    std::string& text = Target.TargetLastErrorText;
    text.clear();
    if (status == kDebugOk) {
        return 1;
    }
    if (status == kDebugFailed || status == kDebugEntryMissing) {
        return 0;
    }
    if (status >= 1 && status <= 58) {
        text = DebugErrorText(status);
        if (text.empty() || text.back() != '.') {
            text += '.';
        }
    } else if (status == 59) {
        text = "Invalid error number.";
    } else {
        char buf[40];
        std::snprintf(buf, sizeof buf, "Fatal error ( %2.2li )", static_cast<long>(status));
        text = buf;
    }
    text += "\r\n";
    Target.TargetErrorLog += text;
    return 0;
}

} // namespace core
