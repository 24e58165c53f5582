#include "debugif/identify_build.h"

#include "debugif/device_id_state.h"
#include "debugif/device_lookup.h"

namespace debugif {

void BuildIdentifyRecord() {
    const CurrentDeviceRecord& r = gDeviceId.currentDeviceRecord;
    const DeviceExtraRecord& x = gDeviceId.deviceExtraRecord;
    core::IdentifyRecord& id = gDeviceId.identifyRecord;

    // Every byte is written, so nothing of an earlier identification (or of
    // an adapter's own reply copied in here) survives.
    id.Clear();
    id.SetMarker(core::IdentifyRecord::kMarker);
    id.SetRow(gDeviceId.currentDeviceIndex);
    id.SetName(DeviceNameOfRow());
    id.SetMainStart(r.MainStart());
    id.SetInfoStart(r.InfoStart());
    id.SetRamEnd(r.RamEnd());
    id.SetEmulation0(r.Emulation0());
    id.SetEmulation3(r.Emulation3());
    id.SetEmulation4(r.Emulation4());
    id.SetOptionByte3(r.OptionByte3());
    id.SetOptionByte4(r.OptionByte4());
    id.SetSupplyMinimum(r.SupplyMinimum());
    id.SetSupplyMaximum(r.SupplyMaximum());
    id.SetTestPinFlag(r.TestPinFlag());
    id.SetRamStart(r.RamStart());
    id.SetRam2Start(r.Ram2Start());
    id.SetRam2End(r.Ram2End());
    id.SetInfoEnd(r.InfoEnd());
    id.SetMainEnd(r.MainEnd());
    id.SetBslStart(x.BslStart());
    id.SetBslEnd(x.BslEnd());
    id.SetEmulation1(x.Emulation1());
    id.SetEmulation2(x.Emulation2());
}

} // namespace debugif
