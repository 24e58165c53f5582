#pragma once
// The report and message texts both deliverables' steps write, each
// standing once.

namespace steps {

inline constexpr const char* kDoneLine = "...\t done\r\n";
inline constexpr const char* kFailedLine = "...\t failed\r\n";
inline constexpr const char* kOkLine = "...\t OK\r\n";
inline constexpr const char* kBlownLine = "...\t BLOWN\r\n";

// The line a new report starts with, and the identification's.
inline constexpr const char* kSeparatorLine = "=====================================\r\n";
inline constexpr const char* kJtagInitLine = "JTAG communication initialization.";

inline constexpr const char* kWriteLine = "Flash programming .................";

inline constexpr const char* kNotRespondingLine = "  Target Microcontroller is not responding.\r\n";
inline constexpr const char* kNotRespondingBox =
    "Target Microcontroller is not responding!!! \r\n\r\n"
    "Please check the connection between the adapter and the target "
    "microcontroller.";
inline constexpr const char* kFuseBlownBox = "     Security Fuse is BLOWN !!! \r\n\r\n"
                                             "Access to the target microcontroller       \r\n"
                                             "via JTAG interface is denied.\r\n\r\n"
                                             "Access to the target microcontroller\r\n"
                                             "is accesible only via BSL interface.\r\n";

inline constexpr const char* kResetLine = " --- Resetting Target device --- \r\n";
inline constexpr const char* kStartLine = " --- Start application program ---\r\n";

// Lines and boxes of the steps each deliverable keeps (retained areas,
// DCO, read, the code-size question of the write).
inline constexpr const char* kRetainRestoreLine = "Restoring Retain Data ...................";
inline constexpr const char* kRetainVerifyLine = "Verifying Retain Data ...................";
inline constexpr const char* kDcoLine = "DCO constants verification....";
inline constexpr const char* kReadLine = "Reading Flash memory .................";
inline constexpr const char* kReadErrorQuestion =
    "     Read error !!!\r\n\r\nWould you like to continue anyway?";
inline constexpr const char* kReadErrorBox = "Read error!!";
inline constexpr const char* kWriteStoppedLine = "  Writing procedure terminated .........";
inline constexpr const char* kWriteAnywayLine = "  Writing procedure continue anyway.\r\n";
inline constexpr const char* kFlashSpaceLine = "  Microcontroller Flash Memory space.\r\n";

} // namespace steps
