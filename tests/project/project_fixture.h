#pragma once
// What the project tests share: a job with every setting off its default,
// a copy of all the state a project read may touch, and a writer of
// scrambled project text from plain lines (the way this program's writer
// scrambles, so tests and the fuzzer can build any file they need).

#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/core_state.h"
#include "core/passwords.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "core/setup_keys.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace projecttest {

// Every key of both tables off its default (within its limits), every text
// setting, the BSL password, the appended password bytes, the model text
// and code bytes below and above 0x10000.
inline void FillJob() {
    using namespace core;
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        const SetupIntKey& k = SetupIntKeyTable[r];
        Settings.*k.variable = k.defaultValue == 0 ? 1 : k.defaultValue - 1;
    }
    // Serialization from a list, so that the SN_DataFile line is written.
    Settings.SNDispFormatIndex = 7;
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        const SetupHexKey& k = SetupHexKeyTable[r];
        Settings.*k.variable = k.defaultValue == k.minimum ? k.minimum + 2 : k.minimum;
    }
    Settings.MSP430DLL1 = "/opt/debug/lib one.so";
    Settings.MSP430DLL2 = "/opt/debug/libtwo.so";
    Settings.Selected_UIF = "HID0003";
    Settings.SNFilePathAndName = "/srv/line 4/history.sn";
    Settings.SNFileGiven = 1;
    Settings.SN_DataFile = "/srv/line 4/list.txt";
    for (int32_t i = 0; i < kPasswordSize; ++i) {
        Passwords.BslPassword[i] = (i % 5 == 3) ? -1 : (0xA0 + i * 3) & 0xFF;
        Passwords.AppendPasswData[i] = (i % 7 == 2) ? -1 : (0x11 * i) & 0xFF;
    }
    std::string hex;
    PasswordToHexText(hex); // sets PasswordComplete as the reader will
    const char model[] = "Board-7 rev\x7f\x90";
    for (int32_t i = 0; i < kModelTextMax; ++i) {
        SerialData.ModelTextBytes[i] = static_cast<uint8_t>(i < 13 ? model[i] : 0x20 + i);
    }
    const auto put = [](uint32_t at, int32_t count, uint8_t seed) {
        for (int32_t i = 0; i < count; ++i) {
            CodeImagePutByte(kStoreCodeImage, static_cast<uint8_t>(seed + 7 * i), at + i);
        }
    };
    put(0x1000, 64, 0x10);
    put(0x3105, 9, 0x40);
    put(0xFFE0, 32, 0x80);
    put(0x10000, 40, 0x01);
    put(0x45BF0, 16, 0xC0);
}

// The state a project read may change, copied.
struct StateCopy {
    core::SettingsState settings;
    core::PasswordState passwords;
    core::SerialDataState serialData;
    std::unique_ptr<core::ImageBytes> codeImage = std::make_unique<core::ImageBytes>();
    std::unique_ptr<core::ImageBytes> programImage = std::make_unique<core::ImageBytes>();
    int32_t codeImageHasData = 0;
    // A view of the state as it is now: the images are compared where they
    // are, not copied (a loop over thousands of reads saves the copying).
    bool imagesLive = false;
    core::FileNameParts codeFile;
    gui::ProjectState project;

    static StateCopy Take() {
        StateCopy c;
        c.Refresh();
        return c;
    }
    // Takes the state again into the same buffers (loops need not allocate
    // the images anew each time).
    void Refresh() {
        imagesLive = false;
        *codeImage = core::Images.CodeImage;
        *programImage = core::Images.ProgramImage;
        RefreshAllButImages();
    }
    // Takes the state again but views the images in place; Put is not for
    // such a copy.
    void RefreshLive() {
        imagesLive = true;
        RefreshAllButImages();
    }
    const core::ImageBytes& CodeImage() const {
        return imagesLive ? core::Images.CodeImage : *codeImage;
    }
    const core::ImageBytes& ProgramImage() const {
        return imagesLive ? core::Images.ProgramImage : *programImage;
    }
    void RefreshAllButImages() {
        settings = core::Settings;
        passwords = core::Passwords;
        serialData = core::SerialData;
        codeImageHasData = core::Images.CodeImageHasData;
        codeFile = core::CodeFileNames.CodeFile;
        project = gui::Project;
    }
    // Puts the copied state back (a loop that loaded a file starts the next
    // read from the same state again).
    void Put() const {
        core::Settings = settings;
        core::Passwords = passwords;
        core::SerialData = serialData;
        core::Images.CodeImage = *codeImage;
        core::Images.ProgramImage = *programImage;
        core::Images.CodeImageHasData = codeImageHasData;
        core::CodeFileNames.CodeFile = codeFile;
        gui::Project = project;
    }
};

inline bool SameSettings(const core::SettingsState& a, const core::SettingsState& b) {
    using namespace core;
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        if (a.*SetupIntKeyTable[r].variable != b.*SetupIntKeyTable[r].variable) {
            return false;
        }
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        if (a.*SetupHexKeyTable[r].variable != b.*SetupHexKeyTable[r].variable) {
            return false;
        }
    }
    return a.MSP430DLL1 == b.MSP430DLL1 && a.MSP430DLL2 == b.MSP430DLL2 &&
           a.Selected_UIF == b.Selected_UIF && a.SNFilePathAndName == b.SNFilePathAndName &&
           a.SNFileGiven == b.SNFileGiven && a.SN_DataFile == b.SN_DataFile &&
           a.RecentSetups == b.RecentSetups;
}

// The job a project carries: settings, BSL and appended password, model
// text and code image.
inline std::string JobDifference(const StateCopy& a, const StateCopy& b) {
    if (!SameSettings(a.settings, b.settings)) {
        return "settings";
    }
    if (std::memcmp(a.passwords.BslPassword, b.passwords.BslPassword,
                    sizeof a.passwords.BslPassword) != 0) {
        return "BSL password";
    }
    if (std::memcmp(a.passwords.AppendPasswData, b.passwords.AppendPasswData,
                    sizeof a.passwords.AppendPasswData) != 0) {
        return "appended password data";
    }
    if (std::memcmp(a.serialData.ModelTextBytes, b.serialData.ModelTextBytes,
                    core::kModelTextMax) != 0) {
        return "model text";
    }
    if (std::memcmp(&a.CodeImage(), &b.CodeImage(), sizeof(core::ImageBytes)) != 0) {
        return "code image";
    }
    return "";
}

// Everything but ProjectLockOptionsRead.
inline std::string WholeDifference(const StateCopy& a, const StateCopy& b) {
    std::string d = JobDifference(a, b);
    if (!d.empty()) {
        return d;
    }
    if (std::memcmp(&a.passwords, &b.passwords, sizeof a.passwords) != 0) {
        return "passwords";
    }
    if (std::memcmp(&a.serialData, &b.serialData, sizeof a.serialData) != 0) {
        return "serial data";
    }
    if (std::memcmp(&a.ProgramImage(), &b.ProgramImage(), sizeof(core::ImageBytes)) != 0) {
        return "program image";
    }
    if (a.codeImageHasData != b.codeImageHasData) {
        return "code image flag";
    }
    if (a.codeFile.FullPath() != b.codeFile.FullPath() ||
        a.codeFile.extension != b.codeFile.extension) {
        return "current file";
    }
    const gui::ProjectState& p = a.project;
    const gui::ProjectState& q = b.project;
    if (p.ProjectTargetTag != q.ProjectTargetTag || p.ProjectModeSetting != q.ProjectModeSetting ||
        p.ProjectModeRead != q.ProjectModeRead ||
        p.ProjectLockOptionsSetting != q.ProjectLockOptionsSetting ||
        p.ProjectPassword != q.ProjectPassword || p.ProjectPcCode != q.ProjectPcCode ||
        p.ProjectUnlockPassword != q.ProjectUnlockPassword || p.ProjectKey != q.ProjectKey ||
        p.ProjectTokenLine != q.ProjectTokenLine || p.ProjectScrambleOn != q.ProjectScrambleOn) {
        return "project state";
    }
    return "";
}

// Everything, for refused reads: nothing may have changed but
// ProjectLockOptionsRead (0 after a refusal).
inline std::string StateDifference(const StateCopy& a, const StateCopy& b) {
    const std::string d = WholeDifference(a, b);
    if (!d.empty()) {
        return d;
    }
    return b.project.ProjectLockOptionsRead != 0 ? "lock options read" : "";
}

// Everything, for two loads of one job.
inline std::string LoadDifference(const StateCopy& a, const StateCopy& b) {
    const std::string d = WholeDifference(a, b);
    if (!d.empty()) {
        return d;
    }
    return a.project.ProjectLockOptionsRead != b.project.ProjectLockOptionsRead
               ? "lock options read"
               : "";
}

// Scrambles plain project lines (each with its line end) as this program's
// writer does: line 1 with an empty key and tag, line 2 with the tag, line 3
// with unlockKey, the rest with key and tag; the CRC over the plain text
// (line 3 as scrambled). With withChecksum the "[ProjectCheckSum]" line and
// the CRC line (crcDelta added to the CRC, printed with crcFormat) close the
// text; afterChecksum lines follow it, scrambled on from there.
inline std::string ScrambleProjectText(const std::vector<std::string>& lines,
                                       const std::string& key, const std::string& tag,
                                       const std::string& unlockKey, bool withChecksum,
                                       uint32_t crcDelta = 0, const char* crcFormat = "%8.8X\r\n",
                                       const std::vector<std::string>& afterChecksum = {}) {
    using namespace gui;
    std::string out;
    const auto emit = [&out](const std::string& line) {
        for (const char c : line) {
            out.push_back(static_cast<char>(ProjectScrambleChar(static_cast<uint8_t>(c))));
        }
    };
    ProjectScrambler.CrcMode = kProjectCrcInput;
    ProjectCrcStart();
    std::vector<std::string> all = lines;
    if (withChecksum) {
        all.push_back("[ProjectCheckSum]\r\n");
    }
    for (size_t i = 0; i < all.size(); ++i) {
        if (i == 0) {
            ProjectScramblerStart("", "");
        } else if (i == 1) {
            ProjectScramblerStart("", tag);
        } else if (i == 2) {
            ProjectScramblerStart(unlockKey, "");
            ProjectScrambler.CrcMode = kProjectCrcOutput;
        } else if (i == 3) {
            ProjectScrambler.CrcMode = kProjectCrcInput;
            ProjectScramblerStart(key, tag);
        }
        emit(all[i]);
    }
    if (withChecksum) {
        char crc[16];
        std::snprintf(crc, sizeof crc, crcFormat,
                      static_cast<unsigned>((ProjectScrambler.Crc + crcDelta) & 0xFFFF));
        emit(crc);
    }
    for (const std::string& line : afterChecksum) {
        emit(line);
    }
    ProjectScrambler.CrcMode = kProjectCrcOutput;
    return out;
}

// The plain lines of a project text (line ends dropped, empty lines
// skipped), unscrambled the way ScrambleProjectText scrambles them.
inline std::vector<std::string> UnscrambleProjectText(const std::string& text,
                                                      const std::string& key,
                                                      const std::string& tag,
                                                      const std::string& unlockKey) {
    using namespace gui;
    std::vector<std::string> lines;
    std::string current;
    const int32_t crcMode = ProjectScrambler.CrcMode;
    ProjectScrambler.CrcMode = kProjectCrcNone;
    const auto start = [&](size_t n) {
        if (n == 0) {
            ProjectScramblerStart("", "");
        } else if (n == 1) {
            ProjectScramblerStart("", tag);
        } else if (n == 2) {
            ProjectScramblerStart(unlockKey, "");
        } else if (n == 3) {
            ProjectScramblerStart(key, tag);
        }
    };
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!current.empty()) {
                lines.push_back(current);
                current.clear();
            }
            continue;
        }
        if (current.empty()) {
            start(lines.size());
        }
        current.push_back(static_cast<char>(ProjectScrambleChar(static_cast<uint8_t>(c))));
    }
    if (!current.empty()) {
        lines.push_back(current);
    }
    ProjectScrambler.CrcMode = crcMode;
    return lines;
}

// The plain lines of a project of this program: tag, mode, token, the
// company and title lines and lock options; the caller adds the rest.
inline std::vector<std::string> ProjectHead(int32_t mode, int32_t lockOptions,
                                            const std::string& tag = gui::kProjectTargetTag) {
    char modeLine[32];
    std::snprintf(modeLine, sizeof modeLine, "ProjectMode %1.1i\r\n", static_cast<int>(mode));
    char lockLine[40];
    std::snprintf(lockLine, sizeof lockLine, "ProjectLockOptions %1.1Xi \r\n",
                  static_cast<unsigned>(lockOptions));
    return {"DestinationTarget " + tag + " Quillbay\r\n",
            modeLine,
            "CabinetKeepsOrderlyLedgers\r\n",
            "Morvane Inc.\r\n",
            "Programmers Project File\r\n",
            lockLine};
}

} // namespace projecttest
