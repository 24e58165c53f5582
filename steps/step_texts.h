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

} // namespace steps
