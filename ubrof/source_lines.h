#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ubrof/counted.h"

namespace ubrof {

// A source file that a source-lines record names. Its directory's text is
// shared with the record's other files, not copied into each: a record of
// many files under one long directory would otherwise hold that text once
// per file.
class SourceFile : public CountedObject {
public:
    SourceFile(std::shared_ptr<const std::string> directory, std::string name, std::time_t time,
               uint32_t number)
        : time(time), number(number), directory_(std::move(directory)), name_(std::move(name)) {}
    // The directory's text and the file name, joined without a separator.
    std::string Path() const { return directory_ ? *directory_ + name_ : name_; }
    // The directory's text, shared; null for a file without a directory.
    const std::string* Directory() const { return directory_.get(); }

    std::time_t time;
    uint32_t number;

private:
    std::shared_ptr<const std::string> directory_;
    std::string name_;
};

// One row of the line table: the running location of its sequence and the
// operands of its item.
struct SourceLineRow {
    uint8_t item = 0;
    uint32_t location = 0;
    uint32_t second = 0;
    uint32_t file = 0;
    uint32_t third = 0;
};

// The result of one source-lines record.
class SourceLines : public CountedObject {
public:
    std::vector<std::string> directories;
    std::vector<CountedHandle<SourceFile>> files;
    std::vector<SourceLineRow> rows;
    // Sequences ended by an end item.
    uint32_t sequences = 0;
};

// Parses a source-lines record body.
CountedHandle<SourceLines> SourceLinesReader(const std::vector<uint8_t>& body);

} // namespace ubrof
