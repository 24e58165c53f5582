#pragma once
// The registry of process state. Every global state object a folder keeps
// is listed once, in that folder's table, by the name it is declared with
// and the call that puts it back to its start-up value; a deliverable's
// reset runs the tables of the folders it is built from, in order. A state
// object left out of its table survives the reset that tests and library
// loads rely on, and tests/core/state_registry_test.cpp fails for it.

#include <initializer_list>
#include <span>
#include <string_view>

namespace core {

struct StateObject {
    const char* name; // the object as declared (its file-local parts reset with it)
    void (*reset)();
};
using StateTable = std::span<const StateObject>;

// Runs every object's reset, table by table, each in its listed order.
void StateTablesReset(std::initializer_list<StateTable> tables);

// Runs the resets of the named objects of one table, in the table's order
// (a part of a folder's state, as a narrower reset needs it).
void StateObjectsReset(StateTable table, std::initializer_list<std::string_view> names);

// The core's state objects: the device tables, settings, code images, the
// target and flash layers, the progress operation and the debug-library
// binding.
StateTable CoreStateObjects();

} // namespace core
