#include "core/atomic_write.h"

#include "platform/atomic_file.h"
#include "platform/prompt.h"

namespace core {

void FileWriteErrorBox(const std::string& path) {
    platform::ShowMessageBox("Open File or Write File Error\r\n\r\n" + path, "Error",
                             platform::MB_OK | platform::MB_ICONERROR);
}

void FileReadErrorBox(const std::string& path) {
    platform::ShowMessageBox("Open File or Read File Error\r\n\r\n" + path, "Error",
                             platform::MB_OK | platform::MB_ICONERROR);
}

int32_t FileWriteAtomic(const std::string& path, const std::function<int32_t(std::FILE*)>& body) {
    platform::AtomicFile file(path);
    if (!file.IsOpen() || body(file.get()) != 1 || !file.Commit()) {
        FileWriteErrorBox(path);
        return 0;
    }
    return 1;
}

} // namespace core
