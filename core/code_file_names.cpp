#include "core/code_file_names.h"

namespace core {

CodeFileNamesState CodeFileNames;

void FileNameParts::Clear() {
    directory.clear();
    name.clear();
    extension.clear();
}

void FileNameParts::Set(const std::string& path) {
    const size_t slash = path.rfind('/');
    directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void CodeFileNamesState::Reset() {
    *this = CodeFileNamesState{};
}

} // namespace core
