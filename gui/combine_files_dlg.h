#pragma once
// "Combine Files" (214): one code image from up to 40 code files and raw
// data files. A file that fails to load leaves the image as it was.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

class CombineFiles : public ui::Dialog {
public:
    CombineFiles();

    int32_t FileCount() const { return count_; }
    // A file was added or the image cleared: it is no longer the current
    // code file's.
    bool ImageChanged() const { return imageChanged_; }

protected:
    bool OnInitDialog() override;

private:
    bool AtLimit();
    void AddCodeFile();
    void AddFileContents();
    void ClearAll();
    void AppendList(const std::string& line);

    int32_t count_ = 0;
    bool imageChanged_ = false;
    std::string list_;
};

inline constexpr int32_t kCombineMaxFiles = 40;

} // namespace gui
