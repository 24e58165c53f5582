// The MSP430_* entries of libsim_msp430.so, for the binding to find by name.

#include "core/debug_api.h"
#include "sim/sim_library.h"

extern "C" {

#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    result MSP430_##name parameters {                                                              \
        return sim::Sim_##name arguments;                                                          \
    }
#include "core/debug_entries.def"

} // extern "C"
