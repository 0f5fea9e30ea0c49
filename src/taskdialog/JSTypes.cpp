#include "taskdialog/JSTypes.h"

#include <array>

namespace vx::taskdialog {
namespace {

// By TCommonButton value.
constexpr std::array<int, CommonButtonCount> CommonButtonResults{
    mrYes,    mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
    mrIgnore, mrAll, mrNoToAll, mrYesToAll, -1,      mrNone};

constexpr std::array<const char*, CommonButtonCount> CommonButtonCaptions{
    "&Yes",    "&No",  "OK",         "Cancel",      "&Abort", "&Retry",
    "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help",  "&Close"};

} // namespace

int CommonButtonResult(TCommonButton button) {
    return CommonButtonResults.at(static_cast<std::size_t>(button));
}

const char* CommonButtonCaption(TCommonButton button) {
    return CommonButtonCaptions.at(static_cast<std::size_t>(button));
}

} // namespace vx::taskdialog
