// Fuzzes the report-descriptor parser and the HID report reader: a
// descriptor, then a device that answers reads with arbitrary reports.

#include "debugif/hid_device.h"
#include "debugif/hid_open.h"
#include "debugif/hid_reports.h"
#include "platform/fake_hid.h"
#include "platform/hid_descriptor.h"
#include "tests/transport/test_support.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<uint8_t> descriptor = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 512));
    platform::HidReportLayout layout;
    if (platform::ParseHidReportDescriptor(descriptor.data(), descriptor.size(), &layout)) {
        // Each kind's longest report is the longest of its reports.
        for (int k = 0; k < 3; ++k) {
            const uint16_t longest =
                k == 0 ? layout.input_report_length
                       : (k == 1 ? layout.output_report_length : layout.feature_report_length);
            uint16_t most = 0;
            for (int id = 0; id < 256; ++id) {
                const uint16_t l = layout.ReportLength(static_cast<platform::HidReportKind>(k),
                                                       static_cast<uint8_t>(id));
                most = l > most ? l : most;
            }
            if (most != longest) {
                abort();
            }
        }
    }

    transport_test::MemoryDeviceSetup setup;
    platform::DeviceRecord r;
    r.interface_path = "/fuzz/hidraw0";
    setup.hid.push_back(r);
    platform::DeviceSetupInUse.installed = &setup;
    platform::FakeHidOs os;
    platform::FakeHidDevice& dev = os.AddDevice("/fuzz/hidraw0");
    dev.vendor_id = 0x0451;
    dev.product_id = 0xF432;
    dev.descriptor = descriptor;
    debugif::HidTransport.os = &os;

    debugif::HidDevice d;
    if (debugif::OpenHidDevice(d, 0x0451, 0xF432, 0) != 0) {
        // A refused descriptor: read with a plain adapter layout instead.
        dev.descriptor = platform::BuildHidReportDescriptor({{1, 255}}, {{63, 63}}, {});
        if (debugif::OpenHidDevice(d, 0x0451, 0xF432, 0) != 0) {
            abort();
        }
    }
    while (in.remaining_bytes() > 0) {
        if (in.ConsumeBool()) {
            dev.QueueInputReport(in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange(0, 300)));
            continue;
        }
        uint32_t want = in.ConsumeIntegralInRange<uint32_t>(0, 600);
        std::vector<uint8_t> buffer(want);
        uint32_t got = 0;
        int32_t status = debugif::ReadHidReports(d, buffer.data(), want, &got);
        if (got > want || (status == 0 && got != want) || d.leftover > 255) {
            abort();
        }
    }
    debugif::HidDeviceInit(d);
    debugif::HidTransport.Reset();
    platform::DeviceSetupInUse.Reset();
    return 0;
}
