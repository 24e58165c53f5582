// The serialization menus: setup, report and the pending list.

#include "core/settings.h"
#include "gui/main_actions.h"
#include "gui/serial_number.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_list.h"

namespace gui {

namespace {

// Both dialogs may change what the next number is made of (settings,
// history): it is computed afresh, the list file read again and the
// window's fields brought in line, whichever way the dialog closed.
void SerializationFollowUp() {
    SerialNumberPrepareNext();
    SnListLoad(core::Settings.SN_DataFile);
    SerialNumberDisplayUpdate(1);
}

} // namespace

void OnSerializationSetup() {
    SerialDlg dialog;
    dialog.DoModal();
    SerializationFollowUp();
}

void OnSerializationReport() {
    SerStatDlg dialog;
    dialog.DoModal();
    SerializationFollowUp();
}

void OnPendingSnList() {
    SnListView view;
    view.DoModal();
}

} // namespace gui
