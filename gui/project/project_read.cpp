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

#include <cstdio>
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

// Section states past the lock options line (1 to 6 are the head lines and
// the setup keys): the code records, the lines after the end record, the
// CRC value.
constexpr int32_t kStateCodeEnded = 0;
constexpr int32_t kStateCode = 7;
constexpr int32_t kStateChecksum = 8;

constexpr size_t kCrcDigits = 8;

constexpr const char* kCorrupted = "Corrupted project file.   \r\n\r\nProject terminated.";

// What a read may change, taken before it so a refused file leaves no trace.
// Of the images only the code and programming images: a read loads code
// and never touches the read-back image or the masks, which are most of
// the images' two megabytes.
struct ReadSnapshot {
    core::SettingsState settings;
    core::PasswordState passwords;
    core::SerialDataState serialData;
    core::ImageBytes codeImage;
    core::ImageBytes programImage;
    int32_t codeImageHasData = 0;
    uint32_t imageChecksum = 0;
    uint32_t codeImageGeneration = 0;
    core::SegmentTableState segments;
    core::CodeLoadState codeLoad;
    core::CodeFileNamesState names;
    int32_t modeRead = 0;
    std::string key;
    std::string tokenLine;

    void Take() {
        settings = core::Settings;
        passwords = core::Passwords;
        serialData = core::SerialData;
        codeImage = core::Images.CodeImage;
        programImage = core::Images.ProgramImage;
        codeImageHasData = core::Images.CodeImageHasData;
        imageChecksum = core::Images.ImageChecksum;
        codeImageGeneration = core::Images.CodeImageGeneration;
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
        core::Images.CodeImage = codeImage;
        core::Images.ProgramImage = programImage;
        core::Images.CodeImageHasData = codeImageHasData;
        core::Images.ImageChecksum = imageChecksum;
        core::Images.CodeImageGeneration = codeImageGeneration;
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
    if (token.size() != kCrcDigits) {
        return false;
    }
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return core::TextParseHex(std::string(token).c_str()) == crc;
}

// The whole file, read once so that the bytes checked are the bytes parsed.
// False on a read error.
bool ReadWhole(std::FILE* file, std::string& bytes) {
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
        bytes.append(block, got);
    }
    return std::ferror(file) == 0;
}

// The writer puts only scrambled characters and CRLF line ends into a file.
// The scrambler passes control characters through without a CRC, and the
// line reader takes a lone CR or LF for a line end and VT, FF or NUL inside a
// line as separators or its end, so any of them could join, split or hide
// lines without the checksum noticing. An end-of-file mark (0x1A) as the very
// last byte hides nothing and is let pass.
bool OnlyWriterBytes(std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\x1A') {
        bytes.remove_suffix(1);
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') {
                return false;
            }
            ++i;
        } else if (c < 32) {
            return false; // a lone LF, or another control character
        }
    }
    return true;
}

class Reader {
public:
    explicit Reader(uint32_t fingerprint) : fingerprint_(fingerprint) {}

    // Reads every line of file; returns the read result.
    int32_t Run(std::FILE* file) {
        core::LineReaderReset();
        int32_t count = 0;
        while (result_ == kReadOn && !checksumSeen_ && core::LineReadFromFile(0, file) != 0) {
            ++count;
            Line(count);
        }
        // The CRC covers nothing below its own line: whatever stands there is
        // neither applied nor allowed (blank lines are skipped by the reader).
        if (result_ == kReadOn && checksumSeen_ && core::LineReadFromFile(0, file) != 0) {
            RefuseCorrupted();
        }
        return result_;
    }

    bool ChecksumSeen() const { return checksumSeen_; }

private:
    void Refuse(const std::string& text) {
        ProjectErrorBox(text);
        result_ = kReadRefused;
    }

    // A line the writer never writes.
    void RefuseCorrupted() { Refuse(kCorrupted); }

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
        const bool codeHeader =
            Begins(text, "[CodeContents]") || Begins(text, "[EndOfConfiguration]");
        const bool checksumHeader = Begins(text, "[ProjectCheckSum]");
        // The writer puts the value right after its section line, and no
        // code after the end record.
        if (((codeHeader || checksumHeader) && state_ == kStateChecksum) ||
            (codeHeader && state_ == kStateCodeEnded)) {
            RefuseCorrupted();
            return;
        }
        if (codeHeader) {
            state_ = kStateCode;
            return; // a section line, not a record
        }
        if (checksumHeader) {
            state_ = kStateChecksum;
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
            // The writer writes one key per line; a line that names no key
            // is the rest of one broken in two (the line ends are outside
            // the CRC), and the key before it would load cut short.
            if (!core::SetupKeyLineNamesKey()) {
                RefuseCorrupted();
            } else {
                core::SetupKeyRead();
            }
            break;
        case kStateCode:
            CodeLine(text);
            break;
        case kStateChecksum:
            if (!CrcLineMatches(text, crcAtSection_)) {
                Refuse("Project file checksum error.\r\n\r\nProject terminated.");
            } else if (text.size() != kCrcDigits) {
                RefuseCorrupted(); // the value and nothing else, as the writer prints it
            } else {
                checksumSeen_ = true;
            }
            break;
        case kStateCodeEnded:
            // Between the end record and the checksum section the writer
            // puts nothing; the code parser would drop such a line unseen.
            RefuseCorrupted();
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

    void CodeLine(std::string_view text) {
        if (text.front() != ':') {
            // Not a record: the code parser would skip it, and a record it
            // was joined to would be lost without a word.
            RefuseCorrupted();
            return;
        }
        const int32_t r =
            core::CodeFileParseLine(core::kFormatIntelHex, core::kStoreCodeImage, address_, base_);
        if (r == core::kLineBad) {
            Refuse("HEX Code contents error.\r\n\r\nProject terminated.");
        } else if (r == core::kLineEndRecord) {
            state_ = kStateCodeEnded;
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
    // The lines come from the bytes read here (an empty file has none).
    std::string bytes;
    const bool readWhole = ReadWhole(file.get(), bytes);
    file.Close();
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> text(
        bytes.empty() ? nullptr : fmemopen(bytes.data(), bytes.size(), "rb"), &std::fclose);
    if (!readWhole || (!bytes.empty() && text == nullptr)) {
        ProjectErrorBox("Open File or Read File Error\r\n\r\n" + path);
        return refuse();
    }
    // Checked before any line is read: such a file is reported as what it
    // is, not as a wrong password or a bad record, and nothing is asked.
    if (!OnlyWriterBytes(bytes)) {
        ProjectErrorBox(kCorrupted);
        return refuse();
    }
    ProjectScrambleScope scope;
    ProjectScrambler.CrcMode = kProjectCrcOutput;
    // The project is a whole job: its code replaces the image, never merges.
    core::CodeImageClear();
    core::CodeLoad.CodeLoadWarnings = core::CodeLoadWarningFlags{};
    core::CodeLoad.CodeLoadReport = core::kCodeLoadReportHead;

    Reader reader(fingerprint);
    int32_t result = reader.Run(text.get());
    if (result == kReadOn && !reader.ChecksumSeen()) {
        result = ProjectErrorBox(kCorrupted);
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
