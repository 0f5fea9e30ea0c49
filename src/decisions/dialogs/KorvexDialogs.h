#pragma once

#include "decisions/DecisionList.h"
#include "decisions/dialogs/PlimmDecisionDialog.h"
#include "taskdialog/JSTypes.h"

#include <cstdint>
#include <memory>
#include <string>

// The product dialogs as the tray window uses them. User-interface thread only.
namespace vx::dialogs {

// Owns the single decision dialog: while an owner exists, the first ShowPlimmDecisions creates
// the dialog in it, and the dialog goes with its owner (the tray window holds it, so no
// dialog outlives the window or Qt). At most one owner exists at a time.
class TDecisionDialogOwner {
public:
    TDecisionDialogOwner();
    ~TDecisionDialogOwner();
    TDecisionDialogOwner(const TDecisionDialogOwner&) = delete;
    TDecisionDialogOwner& operator=(const TDecisionDialogOwner&) = delete;

    TKorvexPlimmDecisionDialog* Dialog() const { return FDialog.get(); }
    // The dialog, created with `onVerdict` as its verdict handler when there is none yet.
    TKorvexPlimmDecisionDialog& EnsureDialog(TDecisionVerdictEvent onVerdict);
    // Frees the dialog now; the next ShowPlimmDecisions creates a new one.
    void FreeDialog() { FDialog.reset(); }

private:
    std::unique_ptr<TKorvexPlimmDecisionDialog> FDialog;
};

// The single decision dialog, or null while there is no owner or no ShowPlimmDecisions has
// created it.
TKorvexPlimmDecisionDialog* DecisionDialog();

// Shows the pending decisions of `list` (not owned) from the first, creating the dialog with
// `onVerdict` as its verdict handler on first use (later calls' handlers are not used). An
// error, and a call without an owner, is reported to the event log and goes no further.
// Returns true.
bool ShowPlimmDecisions(decisions::TDecisionList* list, TDecisionVerdictEvent onVerdict);
// The user asked to see the pending decisions (a click on the tray icon): as
// ShowPlimmDecisions, but the dialog starts at the first decision and takes the keyboard.
bool BringUpPlimmDecisions(decisions::TDecisionList* list, TDecisionVerdictEvent onVerdict);
// Shows the current decision and navigation again; false when there is no dialog or it fails.
bool RefreshPlimmDecisions();

// One error entry in the event log from the product's source with `dialogName` and `message`;
// a failure to write it is swallowed.
void ReportDialogError(const std::string& dialogName, const std::string& message);

// The product's modal message box; returns the modal result (6 Yes, 7 No, 1 OK, 2 Cancel,
// ...; 2 when the window is closed without a button). `msg` is a widget text in the system's
// code page (its line breaks separate content lines; data in it must be escaped). `kind`: 0
// warning, 1 error, 2 information, 3 confirmation, 4 custom, else no icon. Raises
// decisions::EDialogTextError while the dialog texts are not registered.
int KorvexMessageDlg(const std::string& msg, std::uint8_t kind, taskdialog::TCommonButtons buttons,
                     std::int32_t helpContext, taskdialog::TCommonButton defaultButton);

} // namespace vx::dialogs
