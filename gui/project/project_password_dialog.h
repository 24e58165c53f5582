#pragma once
// The "Password" dialog (IDD 21002): one prompt, one password of at most 16
// characters.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

inline constexpr int IDD_PRJ_PASSWORD = 21002;
inline constexpr int IDC_PRJ_PROMPT = 21000;   // static: the prompt
inline constexpr int IDC_PRJ_PASSWORD = 21008; // edit: the password

class PrjPassword : public ui::Dialog {
public:
    explicit PrjPassword(const std::string& prompt);

    // The text entered, cut to 16 characters; empty after Cancel.
    const std::string& Text() const { return text_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    std::string prompt_;
    std::string text_;
};

// Runs PrjPassword with prompt; text gets what was entered (empty after
// Cancel). Returns 1 for OK, 0 for Cancel; ProjectDialogResult the same.
int32_t PasswordDialogRun(std::string& text, const std::string& prompt);

} // namespace gui
