#pragma once
// Operator message boxes. The dialog layer plugs its own service in; without
// one a headless service writes each box to standard error and takes the
// unattended answer.

#include <cstdint>
#include <string>

namespace platform {

// Buttons (low four bits of the flags).
inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_OKCANCEL = 0x1;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_RETRYCANCEL = 0x5;
// Icons.
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
// Default button (the first one when neither is given).
inline constexpr uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr uint32_t MB_DEFBUTTON3 = 0x200;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class PromptService {
public:
    virtual ~PromptService() = default;
    // Shows the box and returns the answer (one of the ID... values).
    virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
};

// The answer of the box's default button: DEFBUTTON2/3 pick the second or
// third button where the box has one, else the first button counts.
int DefaultAnswer(uint32_t flags);

// The answer of a box that nobody answers (no operator, an empty script, a
// box closed without a button): Cancel where the box has one, else No, else
// its first button. Never a default "Yes" or "Retry" that nobody chose.
int UnattendedAnswer(uint32_t flags);

// Routes ShowMessageBox to service; nullptr restores the headless default.
// The caller keeps service alive while it is set.
void SetPromptService(PromptService* service);

// Shows the box through the service in force and adds the time it stayed
// open (platform clock) to the running total below.
int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// The service ShowMessageBox uses now (the headless default when none is set).
PromptService& CurrentPromptService();

// Milliseconds that boxes have stayed open since the program started, on the
// platform clock; it wraps like a tick count, so callers take differences.
uint32_t PromptOpenMilliseconds();

} // namespace platform
