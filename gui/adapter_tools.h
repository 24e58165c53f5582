#pragma once
// The adapter tools of the main window: the firmware version texts of the
// debug library and of the USB adapter, the version box, and the firmware
// update dialog with its downloader question.

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

// "%d", with dots after the 1st, 3rd and 5th digit when it has 8 digits
// (20105007 gives "2.01.05.007"); other values as they are.
std::string VersionDotted(int32_t version);
// The adapter's firmware: opens the interface through the target layer (it
// stays open) and asks the library; "Erased!" for the library's error 56,
// else its error text when the open fails. Closes the interface first.
std::string FirmwareVersionText();
// The library's own firmware version from an "LPT1" open, closed again at
// once; "n/a" when that fails.
std::string LibraryVersionText();

// Whether the loaded debug library can update the adapter's firmware, as
// it says itself: a library bound by name needs its update entry, and
// when it has "MSP430_FET_FwImageVersion" that must name an image (a
// version above 0); a table of entries (in process) needs its update
// entry. Nothing else is called, so the adapter is left as it is.
bool LibraryHoldsFirmwareImage();

// Menu 233: both versions in a box (USB adapters only).
void AdapterFirmwareVersionShow();
// Menu 228: the downloader's questions, then the update dialog; with a
// library that holds no firmware image the dialog at once, saying so.
void AdapterFirmwareDownload();

// The adapter firmware update dialog (221).
class CMSP_FET430UIF_SetupDlg : public ui::Dialog {
public:
    CMSP_FET430UIF_SetupDlg();
    bool OnInitDialog() override;
    // A step of the library's update (the callback's step code and value).
    void Step(uint32_t step, uint32_t value);

private:
    void OnStartUpdate();
};

} // namespace gui
