#pragma once
// "Combine Files" (214): one code image from up to 40 code files and raw
// data files. The dialog builds it in an image of its own: the current code
// stays as it is until the caller installs the combination, and a file that
// fails to load leaves the combination as the earlier files made it.

#include "core/code_image_copy.h"
#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

class CombineFiles : public ui::Dialog {
public:
    CombineFiles();

    int32_t FileCount() const { return count_; }
    // The combination of the files added since the last Clear All; empty
    // while FileCount() is 0.
    const core::CodeImageCopy& Combination() const { return combination_; }

protected:
    bool OnInitDialog() override;

private:
    bool AtLimit();
    void AddCodeFile();
    void AddFileContents();
    void ClearAll();
    void AppendList(const std::string& line);
    // Runs load with the combination in the code image's place (the loaders
    // store there) and the current code back afterwards; keeps what load
    // made when it returns true.
    template <typename Load> bool IntoCombination(Load load);

    int32_t count_ = 0;
    core::CodeImageCopy combination_;
    std::string list_;
};

inline constexpr int32_t kCombineMaxFiles = 40;

} // namespace gui
