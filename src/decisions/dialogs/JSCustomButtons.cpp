#include "decisions/dialogs/JSCustomButtons.h"

#include "decisions/dialogs/JSDialog.h"
#include "platform/Format.h"

namespace vx::dialogs {
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

} // namespace vx::dialogs
