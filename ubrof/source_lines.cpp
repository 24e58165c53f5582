#include "ubrof/source_lines.h"

#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

namespace ubrof {

namespace {

// Keeps one row per entry; each entry moves its sequence's location on, and
// an end item starts the next sequence from 0.
class LineTableBuilder {
public:
    explicit LineTableBuilder(SourceLines& lines) : lines_(lines) {}

    void Entry(uint8_t item, uint32_t advance, uint32_t second, uint32_t file, uint32_t third) {
        location_ += advance;
        lines_.rows.push_back({item, location_, second, file, third});
    }
    void EndSequence() {
        location_ = 0;
        ++lines_.sequences;
    }

private:
    SourceLines& lines_;
    uint32_t location_ = 0;
};

} // namespace

CountedHandle<SourceLines> SourceLinesReader(const std::vector<uint8_t>& body) {
    RecordCursor in(body);
    CountedHandle<SourceLines> lines(new SourceLines());
    const uint32_t directories = in.Uleb();
    std::vector<std::shared_ptr<const std::string>> shared;
    for (uint32_t i = 0; i < directories; ++i) {
        lines->directories.push_back(in.String());
        shared.push_back(std::make_shared<const std::string>(lines->directories.back()));
    }
    const uint32_t files = in.Uleb();
    for (uint32_t i = 0; i < files; ++i) {
        in.Uleb();
        std::string name = in.String();
        const uint32_t directory = in.Uleb();
        const std::time_t time = in.Time();
        const uint32_t number = in.Uleb();
        UbrofCheck(directory <= lines->directories.size(),
                   "Directory index out of range in source lines file info");
        lines->files.emplace_back(new SourceFile(directory == 0 ? nullptr : shared[directory - 1],
                                                 std::move(name), time, number));
    }
    LineTableBuilder table(*lines);
    const auto file = [&in, &lines]() {
        const uint32_t number = in.Uleb();
        UbrofCheck(number < lines->files.size(),
                   "File index out of range in source lines sequence info");
        return number;
    };
    while (!in.AtEnd()) {
        const uint8_t item = in.Byte();
        switch (item) {
        case 1: {
            const uint32_t a = in.Uleb();
            table.Entry(item, a, 0, file(), 0);
            break;
        }
        case 2:
            table.EndSequence();
            break;
        case 3: {
            const uint32_t a = in.Uleb();
            const uint32_t f = file();
            table.Entry(item, a, 0, f, in.Uleb());
            break;
        }
        case 4: {
            const uint32_t a = in.Uleb();
            const uint32_t b = in.Uleb();
            table.Entry(item, a, b, file(), 0);
            break;
        }
        default:
            UbrofFatal("Unknown source line sequence tag");
        }
    }
    return lines;
}

} // namespace ubrof
