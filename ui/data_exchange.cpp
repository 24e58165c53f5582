#include "ui/data_exchange.h"

#include "ui/dialog.h"
#include "ui/message_box.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

// A decimal integer with optional blanks around it and an optional sign,
// nothing else, within 32 bits.
bool ParseInt(const std::string& text, int32_t& out) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    size_t end = text.size();
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    const std::string core = text.substr(i, end - i);
    if (core.empty()) {
        return false;
    }
    size_t digits = (core[0] == '-' || core[0] == '+') ? 1 : 0;
    if (digits == core.size()) {
        return false;
    }
    for (size_t k = digits; k < core.size(); ++k) {
        if (core[k] < '0' || core[k] > '9') {
            return false;
        }
    }
    errno = 0;
    const long long v = std::strtoll(core.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) {
        return false;
    }
    out = static_cast<int32_t>(v);
    return true;
}

} // namespace

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : dialog_(dialog), saving_(saveAndValidate) {}

void DataExchange::Fail(int id, const std::string& message) {
    failed_ = true;
    MessageBox(message, "Warning", MB_OK | MB_ICONWARNING);
    dialog_.SetFocus(id);
}

void DataExchange::Text(int id, std::string& value, int maxChars) {
    if (failed_) {
        return;
    }
    if (!saving_) {
        dialog_.SetItemText(id, value);
        if (maxChars > 0) {
            dialog_.SetLimitText(id, maxChars);
        }
        return;
    }
    std::string text = dialog_.GetItemText(id);
    if (maxChars > 0 && text.size() > static_cast<size_t>(maxChars)) {
        Fail(id, "Please enter no more than " + std::to_string(maxChars) + " characters.");
        return;
    }
    value = std::move(text);
}

void DataExchange::Int(int id, int32_t& value) {
    if (failed_) {
        return;
    }
    if (!saving_) {
        dialog_.SetItemText(id, std::to_string(value));
        return;
    }
    int32_t v = 0;
    if (!ParseInt(dialog_.GetItemText(id), v)) {
        Fail(id, "Please enter an integer.");
        return;
    }
    value = v;
}

void DataExchange::Int(int id, int32_t& value, int32_t min, int32_t max) {
    if (failed_) {
        return;
    }
    if (!saving_) {
        dialog_.SetItemText(id, std::to_string(value));
        return;
    }
    int32_t v = 0;
    if (!ParseInt(dialog_.GetItemText(id), v) || v < min || v > max) {
        Fail(id, "Please enter an integer between " + std::to_string(min) + " and " +
                     std::to_string(max) + ".");
        return;
    }
    value = v;
}

void DataExchange::Check(int id, int32_t& value) {
    if (failed_) {
        return;
    }
    if (saving_) {
        value = dialog_.IsDlgButtonChecked(id);
    } else {
        dialog_.CheckDlgButton(id, value ? 1 : 0);
    }
}

void DataExchange::Radio(std::initializer_list<int> ids, int32_t& value) {
    if (failed_) {
        return;
    }
    int32_t index = 0;
    if (saving_) {
        value = -1;
        for (int id : ids) {
            if (dialog_.IsDlgButtonChecked(id)) {
                value = index;
                break;
            }
            ++index;
        }
        return;
    }
    for (int id : ids) {
        dialog_.CheckDlgButton(id, index == value ? 1 : 0);
        ++index;
    }
}

void DataExchange::Index(int id, int32_t& value) {
    if (failed_) {
        return;
    }
    if (saving_) {
        value = dialog_.GetCurSel(id);
    } else {
        dialog_.SetCurSel(id, value);
    }
}

void DataExchange::Require(int id, bool ok, const std::string& message) {
    if (failed_ || !saving_ || ok) {
        return;
    }
    Fail(id, message);
}

} // namespace ui
