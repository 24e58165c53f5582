#include "core/code_file_load.h"

#include "core/code_image.h"
#include "core/code_image_copy.h"
#include "core/code_line_parse.h"
#include "core/code_store.h"
#include "core/line_reader.h"
#include "core/passwords.h"
#include "platform/ascii.h"
#include "ubrof/convert.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace core {

namespace {

void ClearStore(int32_t store) {
    switch (store) {
    case kStoreCodeImage:
        CodeImageClear();
        break;
    case kStorePassword:
        PasswordClear();
        break;
    case kStoreProgramImage:
        ProgramImageClear();
        break;
    default:
        break;
    }
}

constexpr const char* kWhyTooLong = "line of 1024 characters or more";
constexpr const char* kWhyNul = "NUL character in the line";

// A line read from a file that filled the whole line buffer was longer than
// any record and has been cut; one with a NUL byte inside would lose what
// follows the NUL: the reader counts what it stored, NULs included. nullptr
// for a whole line, else why it is not.
const char* FileLineDamage() {
    const size_t n = strnlen(LineReader.line, kLineSize + 1);
    if (n >= static_cast<size_t>(kLineSize)) {
        return kWhyTooLong;
    }
    return n != static_cast<size_t>(LineReader.lineStored) ? kWhyNul : nullptr;
}

const char* TextLineDamage(int32_t count) {
    if (count >= kLineSize) {
        return kWhyTooLong;
    }
    return std::strlen(LineReader.line) != static_cast<size_t>(count) ? kWhyNul : nullptr;
}

// The reason of a refused file names the line, the way an editor counts it.
void LineRefused(const char* why) {
    char text[128];
    std::snprintf(text, sizeof text, "Line %d: %s", static_cast<int>(LineReader.lineNumber), why);
    CodeLoad.CodeLoadFailure = text;
}

// Parses the lines of one load; keeps the running address, the Intel base
// and, for ".a43" files, the record format chosen so far.
class LineLoader {
public:
    LineLoader(int32_t format, int32_t store) : format_(format), store_(store) {}

    // kLineDone to go on, kLineEndRecord or kLineBad to stop; a bad line
    // leaves its number and reason in CodeLoadFailure. damage: why the line
    // as read cannot be parsed, or nullptr.
    int32_t Line(const char* damage) {
        CodeLoad.CodeLoadWarnings.lineLogCount = 0;
        if (damage != nullptr) {
            LineRefused(damage);
            return kLineBad;
        }
        if (LineNextToken(-1) == 0) {
            return kLineDone; // empty or comment
        }
        int32_t format = format_;
        if (format_ == kFormatIntelOrMotorola) {
            const char first = platform::AsciiLower(LineReader.line[0]);
            if (first == ':') {
                mixedFormat_ = kFormatIntelHex;
            } else if (first == 's') {
                mixedFormat_ = kFormatMotorola;
            }
            if (mixedFormat_ == kFormatNone) {
                return kLineDone; // nothing before the first record line counts
            }
            format = mixedFormat_;
        } else if (format_ == kFormatOut) {
            format = kFormatIntelHex;
        }
        // Taken before the parse: the TI-TXT parse consumes the line.
        const char kind = platform::AsciiLower(LineReader.line[1]);
        const int32_t count = format == kFormatMotorola ? MotorolaCountRecord(LineReader.line) : -1;
        const char* why = nullptr;
        const int32_t r = CodeFileParseLine(format, store_, address_, base_, &why);
        if (r == kLineBad) {
            LineRefused(why != nullptr ? why : "bad line");
        }
        if (r == kLineDone && format == kFormatMotorola) {
            if (kind == '1' || kind == '2' || kind == '3') {
                ++dataRecords_;
            }
            countClosesFile_ =
                count >= 0 && static_cast<uint32_t>(count) == (dataRecords_ & 0xFFFF);
        } else {
            countClosesFile_ = false;
        }
        return r;
    }

    // A Motorola file may close with a count record (S5) instead of an end
    // record, as SRecord writes files without a start address: it is whole
    // when that record is its last and counts every data record before it.
    bool CountClosesFile() const { return countClosesFile_; }

private:
    int32_t format_;
    int32_t store_;
    int32_t mixedFormat_ = kFormatNone;
    uint32_t address_ = 0;
    uint32_t base_ = 0;
    uint32_t dataRecords_ = 0;
    bool countClosesFile_ = false;
};

// Passes over a UTF-8 byte-order mark at the start of the file: an editor
// may put one there, and it would hide the first record.
void SkipByteOrderMark(std::FILE* file) {
    const long start = std::ftell(file);
    if (start < 0) {
        return;
    }
    unsigned char head[3] = {};
    const size_t n = std::fread(head, 1, sizeof head, file);
    if (n == sizeof head && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        return;
    }
    std::clearerr(file);
    std::fseek(file, start, SEEK_SET);
}

// Intel HEX and Motorola files close with an end record; TI-TXT may end
// without its "q".
bool NeedsEndRecord(int32_t format) {
    return format == kFormatMotorola || format == kFormatIntelHex ||
           format == kFormatIntelOrMotorola || format == kFormatOut;
}

// True when the load ran to its end record or the end of the input.
bool LoadLines(int32_t store, int32_t format, std::FILE* file, const std::string& path) {
    if (format == kFormatUbrof) {
        std::string text;
        if (ubrof::UbrofFileConvert(path, text, CodeLoad.CodeLoadFailure) != 1) {
            return false;
        }
        text += "\r\nq";
        LineLoader loader(kFormatTiTxt, store);
        LineReaderReset();
        LineReader.textPos = 0;
        int32_t count;
        while ((count = LineReadFromText(0, text)) != 0) {
            const int32_t r = loader.Line(TextLineDamage(count));
            if (r != kLineDone) {
                return r == kLineEndRecord;
            }
        }
        return true;
    }
    if (file == nullptr) {
        CodeLoad.CodeLoadFailure = CodeFileReadErrorText(0);
        return false;
    }
    LineLoader loader(format, store);
    LineReaderReset();
    SkipByteOrderMark(file);
    while (LineReadFromFile('l', file) != 0) {
        const int32_t r = loader.Line(FileLineDamage());
        if (r != kLineDone) {
            return r == kLineEndRecord;
        }
    }
    // A read error looks like the end of the file to the line reader.
    if (std::ferror(file) != 0) {
        CodeLoad.CodeLoadFailure = CodeFileReadErrorText(LineReader.lineNumber);
        return false;
    }
    if (NeedsEndRecord(format) && !loader.CountClosesFile()) {
        // The rest of the file, and with it code, may be missing.
        CodeLoad.CodeLoadFailure = CodeFileCutShortText(LineReader.lineNumber);
        return false;
    }
    return true;
}

// What a kept load may change in its store, to be put back when the load
// fails: the operator's earlier files must survive a bad one whole.
class StoreSnapshot {
public:
    explicit StoreSnapshot(int32_t store) : store_(store), hasData_(Images.CodeImageHasData) {
        switch (store_) {
        case kStoreCodeImage:
            code_.emplace();
            code_->Take();
            break;
        case kStoreProgramImage:
            image_ = std::make_unique<ImageBytes>(Images.ProgramImage);
            break;
        case kStorePassword:
            std::memcpy(password_, Passwords.BslPassword, sizeof password_);
            passwordComplete_ = Passwords.PasswordComplete;
            break;
        default:
            break;
        }
    }
    void Restore() const {
        Images.CodeImageHasData = hasData_;
        switch (store_) {
        case kStoreCodeImage:
            code_->Put();
            break;
        case kStoreProgramImage:
            Images.ProgramImage = *image_;
            break;
        case kStorePassword:
            std::memcpy(Passwords.BslPassword, password_, sizeof password_);
            Passwords.PasswordComplete = passwordComplete_;
            break;
        default:
            break;
        }
    }

private:
    int32_t store_;
    int32_t hasData_;
    std::optional<CodeImageCopy> code_;
    std::unique_ptr<ImageBytes> image_;
    int32_t password_[kPasswordSize] = {};
    int32_t passwordComplete_ = 0;
};

} // namespace

int32_t CodeFileFormatOfExt(std::string_view extension) {
    int32_t format = kFormatNone;
    if (extension.size() >= 3) {
        const char e[4] = {platform::AsciiLower(extension[0]), platform::AsciiLower(extension[1]),
                           platform::AsciiLower(extension[2]), '\0'};
        const std::string_view x(e, 3);
        if (x == "txt") {
            format = kFormatTiTxt;
        } else if (x == "s19" || x == "s28" || x == "s37") {
            format = kFormatMotorola;
        } else if (x == "hex") {
            format = kFormatIntelHex;
        } else if (x == "d43") {
            format = kFormatUbrof;
        } else if (x == "a43") {
            format = kFormatIntelOrMotorola;
        } else if (x == "out") {
            format = kFormatOut;
        }
    }
    return format;
}

int32_t CodeFileFormatFromExt(std::string_view extension) {
    CodeLoad.CodeFileFormat = CodeFileFormatOfExt(extension);
    return CodeLoad.CodeFileFormat;
}

int32_t CodeFileLoad(int32_t target, int32_t format, std::FILE* file, const std::string& path) {
    const int32_t store = target & 7;
    const int32_t hadData = Images.CodeImageHasData;
    std::unique_ptr<StoreSnapshot> kept;
    if ((target & kStoreKeep) != 0) {
        kept = std::make_unique<StoreSnapshot>(store);
    } else {
        ClearStore(store);
    }
    CodeLoad.CodeLoadWarnings = CodeLoadWarningFlags{};
    CodeLoad.CodeLoadReport = kCodeLoadReportHead;
    CodeLoad.CodeLoadFailure.clear();

    const bool known = format >= kFormatTiTxt && format <= kFormatOut;
    if (!known) {
        CodeLoad.CodeLoadFailure = "Not a code-file format";
    }
    const bool loaded = known && LoadLines(store, format, file, path);
    CodeLoad.CodeLoadReport += "\r\n";
    if (!loaded) {
        if (kept) {
            kept->Restore();
            return 0;
        }
        ClearStore(store);
        if (store == kStoreProgramImage) {
            Images.CodeImageHasData = hadData; // the code image itself is untouched
        }
        return 0;
    }
    return 1;
}

int32_t CodeImageLoadBinary(int32_t mode, int32_t start, std::FILE* file) {
    if (mode == 0) {
        CodeImageClear();
    }
    CodeLoad.CodeLoadWarnings = CodeLoadWarningFlags{};
    uint32_t address = static_cast<uint32_t>(start);
    int32_t total = 0;
    int32_t n;
    while ((n = LineReadRaw(file)) > 0) {
        for (int32_t i = 0; i < n; ++i) {
            CodeImagePutByte(mode, static_cast<uint8_t>(LineReader.line[i]), address++);
        }
        total += n;
    }
    return total;
}

} // namespace core
