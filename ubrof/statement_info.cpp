#include "ubrof/statement_info.h"

#include <string>

#include "ubrof/fatal.h"
#include "ubrof/record_cursor.h"

namespace ubrof {

CountedHandle<Statement> StatementInfoReader(const std::vector<uint8_t>& body,
                                             StatementCommonTable& table) {
    RecordCursor in(body);
    const uint8_t sub = in.Byte();
    if (sub == 1) {
        const uint32_t id = in.Uleb();
        CountedHandle<StatementCommonBlock> block(new StatementCommonBlock());
        block->format = in.Byte();
        UbrofCheck(block->format == 1, "Cannot read statement info in format version other than 1");
        for (size_t i = 0; i < block->parameters.size(); ++i) {
            block->parameters[i] =
                static_cast<uint16_t>(i % 2 == 0 ? in.Uleb() : static_cast<uint32_t>(in.Sleb()));
        }
        block->bytes = in.ByteList8();
        UbrofCheck(table.find(id) == table.end(),
                   "Multiple statement info COMMON blocks with id %u", id);
        table[id] = block;
        return {};
    }
    UbrofCheck(sub == 2, "Unknown statement info sub tag");
    const uint32_t id = in.Uleb();
    const auto it = table.find(id);
    UbrofCheck(it != table.end(), "No Common block defined for id %u", id);
    CountedHandle<Statement> statement(new Statement());
    statement->common = it->second;
    statement->size = in.Uleb() * static_cast<uint32_t>(it->second->parameters[0]);
    statement->bytes = in.Rest();
    return statement;
}

} // namespace ubrof
