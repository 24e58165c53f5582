#include "core/code_file_save.h"

#include "core/atomic_write.h"
#include "core/code_file_filter.h"
#include "core/code_file_load.h"
#include "core/code_file_names.h"
#include "core/code_file_view.h"
#include "core/code_image.h"
#include "core/code_writer.h"
#include "core/file_util.h"
#include "core/memory_map.h"

#include <vector>

namespace core {

int32_t CodeFileSaveAs(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    const int32_t format = CodeFileWriteFormatOf(path);
    if (FileWriteAtomic(path, [&](std::FILE* f) { return CodeFileWriteImage(format, f); }) != 1) {
        return 0;
    }
    CodeFileNames.CodeFile.Set(path);
    CodeFileFormatFromExt(CodeFileNames.CodeFile.extension);
    return 1;
}

int32_t CodeFileSaveBlockAs(const std::string& path, int32_t start, int32_t size,
                            const uint8_t* data, const uint8_t* used, int32_t usedPerWord,
                            int32_t view) {
    if (path.empty()) {
        return 0;
    }
    ImageBlock block;
    block.start = start;
    block.size = size;
    block.data = data;
    block.used = used;
    block.usedPerWord = usedPerWord;
    const int32_t format = CodeFileWriteFormatOf(path);
    if (FileWriteAtomic(path, [&](std::FILE* f) { return CodeFileWriteBlock(format, f, block); }) !=
        1) {
        return 0;
    }
    CodeFileNames.BlockFile.Set(path);
    if (view == 1) {
        TextFileShow(path);
    }
    return 1;
}

int32_t MemorySaveAs(const std::string& path, const uint8_t* data) {
    if (path.empty() || data == nullptr) {
        return 0;
    }
    std::vector<uint8_t> inMap(kImageSize);
    for (int32_t i = 0; i < kImageSize; ++i) {
        inMap[i] = MemoryRangeCheck(0, kImageStart + i, 1) != 0 ? 1 : 0;
    }
    ImageBlock block;
    block.start = kImageStart;
    block.size = kImageSize;
    block.data = data;
    block.used = inMap.data();
    const int32_t format = CodeFileWriteFormatOf(path);
    return FileWriteAtomic(path,
                           [&](std::FILE* f) { return CodeFileWriteBlock(format, f, block); });
}

} // namespace core
