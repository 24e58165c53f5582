#include "core/file_util.h"

#include "core/line_reader.h"
#include "platform/atomic_file.h"
#include "platform/file.h"
#include "platform/process.h"
#include "platform/prompt.h"
#include "platform/text_viewer.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace core {

int32_t FileCanOpen(const std::string& path, uint32_t flags) {
    return platform::FileProbe(path, flags) ? 1 : 0;
}

int32_t TextFileCopyLines(const std::string& path, const std::string& suffix) {
    platform::File in(path, kOpenReadShareDenyWrite);
    if (!in.IsOpen()) {
        return 0;
    }
    LineReaderReset();
    // The copy replaces its target only once it is complete: a failed copy
    // keeps the old target, and a copy onto the source itself (an empty
    // suffix) reads all of it before the source is replaced.
    platform::AtomicFile out(path + suffix);
    if (!out.IsOpen()) {
        return 0;
    }
    bool ok = true;
    while (LineReadFromFile(' ', in.get()) != 0) {
        const size_t len = std::strlen(LineReader.line);
        ok = ok && std::fwrite(LineReader.line, 1, len, out.get()) == len &&
             std::fwrite("\r\n", 1, 2, out.get()) == 2;
    }
    ok = !std::ferror(in.get()) && ok;
    return ok && out.Commit() ? 1 : 0;
}

namespace {

void FileErrorBox(const std::string& path, int err) {
    std::string text = "The file \"" + path + "\" could not be written";
    if (err != 0) {
        text += ":\r\n";
        text += std::strerror(err);
    }
    text += ".";
    platform::ShowMessageBox(text, "Error", platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

void NotepadShowText(const std::string& text, const std::string& path) {
    platform::File f(path, kOpenCreateWrite);
    if (!f.IsOpen()) {
        FileErrorBox(path, errno);
        return;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
    int err = written ? 0 : errno;
    const bool closed = f.Close(); // the final flush can fail too (disk full)
    if (!closed && err == 0) {
        err = errno;
    }
    if (!written || !closed) {
        FileErrorBox(path, err);
        return;
    }
    TextFileShow(path); // without a viewer the file is all there is
}

int32_t TextFileShow(const std::string& path) {
    return platform::TextViewerShow(path) ? 1 : 0;
}

} // namespace core
