#include "core/code_file_view.h"

#include "core/atomic_write.h"
#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/code_writer.h"
#include "core/file_util.h"

namespace core {

int32_t CodeFileWriteView(int32_t flags, const uint8_t* data, const std::string& path,
                          const uint8_t* used, int32_t usedPerWord) {
    ImageBlock block;
    block.start = kImageStart;
    block.size = kImageSize;
    block.data = data;
    block.used = used;
    block.usedPerWord = usedPerWord;
    const int32_t format = (flags & kViewIntel) ? kFormatIntelHex : kFormatTiTxt;
    if (FileWriteAtomic(path, [&](std::FILE* f) { return CodeFileWriteBlock(format, f, block); }) !=
        1) {
        return 0;
    }
    if (flags & kViewOpen) {
        TextFileShow(path); // without a viewer the file is all there is
    }
    return 1;
}

} // namespace core
