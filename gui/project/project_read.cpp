#include "gui/project/project_read.h"

#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/line_reader.h"
#include "core/number_parse.h"
#include "core/passwords.h"
#include "core/segment_table.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "core/setup_keys.h"
#include "gui/project/project_fingerprint.h"
#include "gui/project/project_password_dialog.h"
#include "gui/project/project_scramble_scope.h"
#include "gui/project/project_scrambler.h"
#include "gui/project/project_state.h"
#include "gui/project/project_write.h"
#include "platform/file.h"

#include <cstring>
#include <memory>
#include <string_view>

namespace gui {

namespace {

// Read results: 1 reading, 0 refused (the message is shown), 4 lines 4 to 6
// did not unscramble (wrong key).
constexpr int32_t kReadOn = 1;
constexpr int32_t kReadRefused = 0;
constexpr int32_t kReadWrongKey = 4;

// What a read may change, taken before it so a refused file leaves no trace.
struct ReadSnapshot {
    core::SettingsState settings;
    core::PasswordState passwords;
    core::SerialDataState serialData;
    core::ImagesState images;
    core::SegmentTableState segments;
    core::CodeLoadState codeLoad;
    core::CodeFileNamesState names;
    int32_t modeRead;
    std::string key;
    std::string tokenLine;

    void Take() {
        settings = core::Settings;
        passwords = core::Passwords;
        serialData = core::SerialData;
        images = core::Images;
        segments = core::SegmentTable;
        codeLoad = core::CodeLoad;
        names = core::CodeFileNames;
        modeRead = Project.ProjectModeRead;
        key = Project.ProjectKey;
        tokenLine = Project.ProjectTokenLine;
    }
    void Restore() const {
        core::Settings = settings;
        core::Passwords = passwords;
        core::SerialData = serialData;
        core::Images = images;
        core::SegmentTable = segments;
        core::CodeLoad = codeLoad;
        core::CodeFileNames = names;
        Project.ProjectModeRead = modeRead;
        Project.ProjectKey = key;
        Project.ProjectTokenLine = tokenLine;
    }
};

// The snapshot holds the images (over a megabyte): one is kept from read to
// read instead of being allocated anew each time; a read that starts while
// another runs gets one of its own.
class SnapshotLease {
public:
    SnapshotLease() : snapshot_(Spare() ? std::move(Spare()) : std::make_unique<ReadSnapshot>()) {}
    ~SnapshotLease() { Spare() = std::move(snapshot_); }
    SnapshotLease(const SnapshotLease&) = delete;
    SnapshotLease& operator=(const SnapshotLease&) = delete;
    ReadSnapshot* operator->() const { return snapshot_.get(); }

private:
    static std::unique_ptr<ReadSnapshot>& Spare() {
        static std::unique_ptr<ReadSnapshot> spare;
        return spare;
    }
    std::unique_ptr<ReadSnapshot> snapshot_;
};

bool Begins(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The token at the front of text (after separators) and the text after it
// and its separators.
std::string_view NextToken(std::string_view text, std::string_view& rest) {
    size_t i = 0;
    while (i < text.size() && core::IsLineSeparator(text[i])) {
        ++i;
    }
    const size_t start = i;
    while (i < text.size() && !core::IsLineSeparator(text[i])) {
        ++i;
    }
    const std::string_view token = text.substr(start, i - start);
    while (i < text.size() && core::IsLineSeparator(text[i])) {
        ++i;
    }
    rest = text.substr(i);
    return token;
}

// The token after the line's first one, as a NUL-terminated copy for the
// number parsers; empty when the line has none.
std::string ValueToken(std::string_view line) {
    std::string_view rest;
    NextToken(line, rest);
    return std::string(NextToken(rest, rest));
}

// The CRC line: exactly the 8 hexadecimal digits the writer prints, so a
// value cut short never passes for a smaller one.
bool CrcLineMatches(std::string_view line, uint32_t crc) {
    std::string_view rest;
    const std::string_view token = NextToken(line, rest);
    if (token.size() != 8) {
        return false;
    }
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return core::TextParseHex(std::string(token).c_str()) == crc;
}

class Reader {
public:
    explicit Reader(uint32_t fingerprint) : fingerprint_(fingerprint) {}

    // Reads every line of file; returns the read result.
    int32_t Run(std::FILE* file) {
        core::LineReaderReset();
        int32_t count = 0;
        while (result_ == kReadOn && core::LineReadFromFile(0, file) != 0) {
            ++count;
            Line(count);
        }
        return result_;
    }

    bool ChecksumSeen() const { return checksumSeen_; }

private:
    void Refuse(const std::string& text) {
        ProjectErrorBox(text);
        result_ = kReadRefused;
    }

    void Line(int32_t count) {
        char* line = core::LineReader.line;
        const size_t length = strnlen(line, core::kLineSize);
        const std::string& tag = Project.ProjectTargetTag;
        switch (count) {
        case 1:
            ProjectCrcStart();
            ProjectScramblerStart("", "");
            state_ = 1;
            break;
        case 2:
            ProjectScramblerStart("", tag);
            state_ = 2;
            break;
        case 3:
            // Kept scrambled for the unlock check; the CRC takes it as read.
            Project.ProjectTokenLine.assign(line, std::min(length, kProjectTokenLineMax));
            ProjectScrambler.CrcMode = kProjectCrcInput;
            for (size_t i = 0; i < length; ++i) {
                (void)ProjectScrambleChar(static_cast<uint8_t>(line[i]));
            }
            ProjectScrambler.CrcMode = kProjectCrcOutput;
            return;
        case 4:
            ProjectScramblerStart(Project.ProjectKey, tag);
            state_ = 3;
            break;
        default:
            break;
        }
        for (size_t i = 0; i < length; ++i) {
            line[i] = static_cast<char>(ProjectScrambleChar(static_cast<uint8_t>(line[i])));
        }
        const std::string_view text(line, length);
        if (text.empty()) {
            return;
        }
        if (Begins(text, "[CodeContents]") || Begins(text, "[EndOfConfiguration]")) {
            state_ = 7;
        } else if (Begins(text, "[ProjectCheckSum]")) {
            state_ = 8;
            crcAtSection_ = ProjectScrambler.Crc;
            return;
        }
        switch (state_) {
        case 1:
            TargetLine(text);
            break;
        case 2:
            ModeLine(text);
            break;
        case 3:
            Expect(text, kProjectCompanyLine, 4);
            break;
        case 4:
            Expect(text, kProjectTitleLine, 5);
            break;
        case 5:
            LockLine(text);
            break;
        case 6:
            core::SetupKeyRead();
            break;
        case 7:
            CodeLine();
            break;
        case 8:
            if (!CrcLineMatches(text, crcAtSection_)) {
                Refuse("Project file checksum error.\r\n\r\nProject terminated.");
            } else {
                checksumSeen_ = true;
            }
            break;
        default:
            break;
        }
    }

    void TargetLine(std::string_view text) {
        const std::string formatError = "Project File format error.\r\nProject terminated.";
        if (!Begins(text, "DestinationTarget")) {
            Refuse(formatError);
            return;
        }
        std::string_view rest;
        NextToken(text, rest);
        const std::string_view tagToken = NextToken(rest, rest);
        if (tagToken.empty()) {
            Refuse(formatError);
            return;
        }
        if (Begins(tagToken, Project.ProjectTargetTag)) {
            return;
        }
        if (rest.empty()) {
            Refuse(formatError);
            return;
        }
        const std::string program(rest);
        Refuse("Project File format is OK, but created for the\r\n" + program +
               " programming software.\r\nPlease use the " + program + " software." +
               "\r\n\r\n\r\nProject terminated.");
    }

    void ModeLine(std::string_view text) {
        const std::string value = ValueToken(text);
        if (!Begins(text, "ProjectMode") || value.empty()) {
            Refuse("Project File contents error.\r\n\r\nProject terminated.");
            return;
        }
        const int32_t mode = core::TextParseNumber(value.c_str());
        switch (mode) {
        case kProjectModeNone:
            Project.ProjectKey.clear();
            break;
        case kProjectModePassword: {
            std::string password;
            if (PasswordDialogRun(password, "Enter project file's password.") != 1) {
                result_ = kReadRefused; // the operator cancelled: nothing to tell
                return;
            }
            Project.ProjectKey = password;
            break;
        }
        case kProjectModePc:
            Project.ProjectKey = PcFingerprintText(fingerprint_);
            break;
        default:
            Refuse("Project mode contents error.\r\n\r\nProject terminated.");
            return;
        }
        Project.ProjectModeRead = mode;
    }

    void Expect(std::string_view text, std::string_view begin, int32_t next) {
        if (!Begins(text, begin)) {
            result_ = kReadWrongKey;
            return;
        }
        state_ = next;
    }

    void LockLine(std::string_view text) {
        if (!Begins(text, "ProjectLockOptions")) {
            result_ = kReadWrongKey;
            return;
        }
        const std::string value = ValueToken(text);
        if (value.empty()) {
            Refuse("Project Lock mode contents error.\r\n\r\nProject terminated.");
            return;
        }
        Project.ProjectLockOptionsRead =
            static_cast<int32_t>(core::TextParseHex(value.c_str()) & 7);
        state_ = 6;
    }

    void CodeLine() {
        const int32_t r =
            core::CodeFileParseLine(core::kFormatIntelHex, core::kStoreCodeImage, address_, base_);
        if (r == core::kLineBad) {
            Refuse("HEX Code contents error.\r\n\r\nProject terminated.");
        } else if (r == core::kLineEndRecord) {
            state_ = 0;
        }
    }

    uint32_t fingerprint_;
    int32_t result_ = kReadOn;
    int32_t state_ = 0;
    uint32_t crcAtSection_ = 0;
    bool checksumSeen_ = false;
    uint32_t address_ = 0;
    uint32_t base_ = 0;
};

} // namespace

int32_t ProjectRead(const std::string& path) {
    const uint32_t fingerprint = PcFingerprint();
    const SnapshotLease before;
    before->Take();
    const auto refuse = [&before]() {
        before->Restore();
        Project.ProjectLockOptionsRead = 0;
        return 0;
    };
    Project.ProjectModeRead = kProjectModeNone;
    Project.ProjectLockOptionsRead = 0;

    platform::File file(path, platform::FileModeRead | platform::FileShareDenyWrite);
    if (!file.IsOpen()) {
        ProjectErrorBox("Open File or Read File Error\r\n\r\n" + path);
        return refuse();
    }
    ProjectScrambleScope scope;
    ProjectScrambler.CrcMode = kProjectCrcOutput;
    // The project is a whole job: its code replaces the image, never merges.
    core::CodeImageClear();
    core::CodeLoad.CodeLoadWarnings = core::CodeLoadWarningFlags{};
    core::CodeLoad.CodeLoadReport = core::kCodeLoadReportHead;

    Reader reader(fingerprint);
    int32_t result = reader.Run(file.get());
    file.Close();
    if (result == kReadOn && !reader.ChecksumSeen()) {
        result = ProjectErrorBox("Corrupted project file.   \r\n\r\nProject terminated.");
    }
    if (result == kReadWrongKey) {
        switch (Project.ProjectModeRead) {
        case kProjectModePassword:
            ProjectErrorBox("Password is incorrect.\r\n\r\nProject terminated.");
            break;
        case kProjectModePc:
            ProjectErrorBox("The PC 'Hardware Fingerprint' number is incorrect.\r\n"
                            "Project has not been created for this PC.\r\n\r\n"
                            "Project terminated.");
            break;
        default:
            ProjectErrorBox("Decryption error.\r\n\r\nProject terminated.");
            break;
        }
        result = kReadRefused;
    }
    if (result != kReadOn) {
        return refuse();
    }
    core::CodeFileNames.CodeFile.Set(path);
    return 1;
}

} // namespace gui
