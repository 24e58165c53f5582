#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ubrof/counted.h"

// A source file that a source-lines record names.
class SourceFile : public CountedObject {
public:
    SourceFile(std::string path, std::time_t time, uint32_t number)
        : path(std::move(path)), time(time), number(number) {}
    // The directory's text and the file name, joined without a separator.
    std::string path;
    std::time_t time;
    uint32_t number;
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
