#include "taskdialog/JSCustomButtons.h"

#include "platform/Format.h"
#include "taskdialog/JSDialog.h"

namespace vx::taskdialog {
namespace {

constexpr const char* IndexError = "Custom button index out of bounds (%d)";

} // namespace

void TJSCustomButton::SetEnabled(bool enabled) {
    FEnabled = enabled;
    FDialog.CustomButtonChanged(*this);
}

TJSCustomButton& TJSCustomButtons::Add() {
    FItems.push_back(std::unique_ptr<TJSCustomButton>(
        new TJSCustomButton(FDialog, FirstValue + static_cast<int>(FItems.size()))));
    return *FItems.back();
}

TJSCustomButton& TJSCustomButtons::Items(int index) const {
    if (index < 0 || index >= Count()) {
        throw EJSDialogError(Format(IndexError, index));
    }
    return *FItems[static_cast<std::size_t>(index)];
}

} // namespace vx::taskdialog
