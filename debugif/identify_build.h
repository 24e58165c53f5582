#pragma once

namespace debugif {

// Fills gDeviceId.identifyRecord from the current-device record, the
// extension record and the current row: marker, row, the row's name and the
// twenty value fields; the two trailing bytes are zero.
void BuildIdentifyRecord();

} // namespace debugif
