#pragma once
// Data exchange between controls and members, with validation. A dialog's
// DoDataExchange calls these for each control; UpdateData runs it one way
// or the other. When saving, the first failed check shows its box (caption
// "Warning"), focuses the control, and every later call does nothing.
// Members before the failing control have taken their new values already
// (so that a check of the dialog's own can use them): a dialog copies its
// members into the settings only after UpdateData(true) succeeded.

#include "ui/types.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ui {

class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    Dialog& Owner() { return dialog_; }

    // Edit or static text; maxChars > 0 limits it ("Please enter no more
    // than %d characters." when saving a longer text).
    void Text(int id, std::string& value, int maxChars = 0);
    // Decimal integer ("Please enter an integer." when it is not one).
    void Int(int id, int32_t& value);
    // Decimal integer in min..max ("Please enter an integer between %d and %d.").
    void Int(int id, int32_t& value, int32_t min, int32_t max);
    // Check box: 0 or 1.
    void Check(int id, int32_t& value);
    // Radio group: value is the index of the checked id in ids, -1 for none.
    void Radio(std::initializer_list<int> ids, int32_t& value);
    // Combo or list box selection index, -1 for none.
    void Index(int id, int32_t& value);
    // A check of the dialog's own: when saving and ok is false, shows message
    // (caption "Warning", exclamation) and stops like a failed conversion.
    void Require(int id, bool ok, const std::string& message);

private:
    void Fail(int id, const std::string& message);

    Dialog& dialog_;
    bool saving_;
    bool failed_ = false;
};

} // namespace ui
