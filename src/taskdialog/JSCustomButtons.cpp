#include "taskdialog/JSCustomButtons.h"

#include "platform/Format.h"
#include "taskdialog/JSDialog.h"

namespace vx::taskdialog {
namespace {

constexpr const char* IndexError = "Custom button index out of bounds (%d)";

} // namespace

void TJSCustomButton::SetEnabled(bool Enabled) {
    FEnabled = Enabled;
    FDialog.CustomButtonChanged(*this);
}

TJSCustomButton& TJSCustomButtons::Add() {
    FItems.push_back(std::unique_ptr<TJSCustomButton>(
        new TJSCustomButton(FDialog, FirstValue + static_cast<int>(FItems.size()))));
    return *FItems.back();
}

TJSCustomButton& TJSCustomButtons::Items(int Index) const {
    if (Index < 0 || Index >= Count()) {
        throw EJSDialogError(Format(IndexError, Index));
    }
    return *FItems[static_cast<std::size_t>(Index)];
}

} // namespace vx::taskdialog
