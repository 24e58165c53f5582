#pragma once
// The report and message texts both deliverables' steps write, each
// standing once.

namespace steps {

// The verdict suffixes of a step's line.
inline constexpr const char* kDoneLine = "...\t done\r\n";
inline constexpr const char* kFailedLine = "...\t failed\r\n";
inline constexpr const char* kOkLine = "...\t OK\r\n";
inline constexpr const char* kBlownLine = "...\t BLOWN\r\n";

// The line a new report starts with, and the identification's.
inline constexpr const char* kSeparatorLine = "=====================================\r\n";
inline constexpr const char* kJtagInitLine = "JTAG communication initialization.";
inline constexpr const char* kNotRespondingLine = "  Target Microcontroller is not responding.\r\n";
inline constexpr const char* kNotRespondingBox =
    "Target Microcontroller is not responding!!! \r\n\r\n"
    "Please check the connection between the adapter and the target "
    "microcontroller.";
inline constexpr const char* kTypeMismatchLine =
    "The target microcontroller type does not match selection:\r\n";
inline constexpr const char* kFuseBlownBox = "     Security Fuse is BLOWN !!! \r\n\r\n"
                                             "Access to the target microcontroller       \r\n"
                                             "via JTAG interface is denied.\r\n\r\n"
                                             "Access to the target microcontroller\r\n"
                                             "is accesible only via BSL interface.\r\n";

// The write, and its code-size question.
inline constexpr const char* kWriteLine = "Flash programming .................";
struct CodeSizeTexts {
    const char* stopped;    // the operator said no
    const char* anyway;     // the operator said yes
    const char* flashSpace; // the warning's last line
};
inline constexpr CodeSizeTexts kCodeSize{"  Writing procedure terminated .........",
                                         "  Writing procedure continue anyway.\r\n",
                                         "  Microcontroller Flash Memory space.\r\n"};

// The retained areas written back after the erase, or found intact.
struct RetainTexts {
    const char* restoring;
    const char* verifying;
};
inline constexpr RetainTexts kRetain{"Restoring Retain Data ...................",
                                     "Verifying Retain Data ..................."};

// The read step.
struct ReadTexts {
    const char* line;
    const char* errorQuestion; // a block that could not be read
    const char* errorBox;      // the label or retained bytes could not be read
};
inline constexpr ReadTexts kRead{"Reading Flash memory .................",
                                 "     Read error !!!\r\n\r\nWould you like to continue anyway?",
                                 "Read error!!"};

inline constexpr const char* kDcoLine = "DCO constants verification....";

// A switch-off of the target supply the debug library could not confirm:
// the operator must not take the board for unpowered.
inline constexpr const char* kSupplyNotOffLine =
    "Target supply could not be switched off - disconnect the target.\r\n";

// The final action's lines after a passed AUTO PROGRAM run.
inline constexpr const char* kResetLine = " --- Resetting Target device --- \r\n";
inline constexpr const char* kStartLine = " --- Start application program ---\r\n";

} // namespace steps
