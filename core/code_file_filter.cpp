#include "core/code_file_filter.h"

#include "core/code_file_load.h"
#include "core/code_file_names.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"

namespace core {
namespace {

constexpr char kAllCodeFiles[] = "*.txt, *.s19,*.s28,*.s37, *.hex, *.d43, *.a43, *.out|"
                                 "*.txt;*.s19;*.s28;*.s37;*.hex;*.d43;*.a43;*.out|";

constexpr const char* kEntries[] = {
    kAllCodeFiles,
    "Texas Instruments (*.txt)|*.txt|",
    "Motorola  (*.s19, *.s28, *.s37)|*.s19;*.s28;*.s37|",
    "Intel  (*.hex)|*.hex|",
    "IAR (ubrof 9)  (*.d43)|*.d43|",
    "debug Intel/Motorola  (*.a43)|*.a43|",
    "TI's CCE (*.out)|*.out|",
};
constexpr int32_t kEntryCount = 7;

} // namespace

const char* CodeFileFilterEntry(int32_t format) {
    return (format >= 0 && format < kEntryCount) ? kEntries[format] : "";
}

std::string CodeFileOpenFilter(int32_t format) {
    const int32_t current = (format >= 0 && format < kEntryCount) ? format : 0;
    std::string filter = current == 0 ? "" : "-->";
    filter += kEntries[current];
    for (int32_t f = 0; f < kEntryCount; ++f) {
        if (f != current) {
            filter += kEntries[f];
        }
    }
    return filter + "|";
}

std::string CodeFileSaveFilter(int32_t format) {
    std::string filter;
    const bool written = format >= kFormatTiTxt && format <= kFormatIntelHex;
    if (written) {
        filter += kEntries[format];
    }
    for (int32_t f = kFormatTiTxt; f <= kFormatIntelHex; ++f) {
        if (!written || f != format) {
            filter += kEntries[f];
        }
    }
    return filter + "|";
}

std::string CodeFileOpenFilter() {
    return CodeFileOpenFilter(CodeLoad.CodeFileFormat);
}

std::string CodeFileSaveFilter() {
    return CodeFileSaveFilter(CodeLoad.CodeFileFormat);
}

int32_t CodeFileWriteFormatOf(const std::string& path) {
    FileNameParts parts;
    parts.Set(path);
    const int32_t f = CodeFileFormatOfExt(parts.extension);
    if (f == kFormatIntelOrMotorola) {
        // The loader reads a ".a43" file for Intel or Motorola records only:
        // TI-TXT under that name would load back as an empty image.
        return kFormatIntelHex;
    }
    return (f == kFormatMotorola || f == kFormatIntelHex) ? f : kFormatTiTxt;
}

} // namespace core
