#include "ubrof/convert.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "ubrof/collector.h"
#include "ubrof/fatal.h"
#include "ubrof/input_stream.h"
#include "ubrof/record_reader.h"
#include "ubrof/titxt_handler.h"

namespace ubrof {

int32_t UbrofFileConvert(const std::string& path, std::string& out, std::string& reason) {
    reason.clear();
    try {
        UbrofToTiTxt(path, out);
    } catch (const UbrofFormatError& error) {
        out.clear();
        reason = error.what();
        return 0;
    }
    return 1;
}

int32_t UbrofFileConvert(const std::string& path, std::string& out) {
    std::string reason;
    return UbrofFileConvert(path, out, reason);
}

void UbrofToTiTxt(const std::string& path, std::string& out) {
    out.clear();
    UbrofCollector collector;
    // Only a regular file: a directory opens but cannot be read, and a FIFO
    // or device could block the caller forever.
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path, error);
    std::filebuf file;
    UbrofCheck(regular && file.open(path, std::ios_base::in | std::ios_base::binary) != nullptr,
               "Problem opening file: '%s'", path.c_str());
    UbrofInputStream stream(&file);
    UbrofTiTxtHandler handler(collector, out);
    UbrofRecordReader reader(stream, handler);
    while (reader.ReadRecord()) {
    }
}

} // namespace ubrof
