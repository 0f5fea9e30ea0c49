#pragma once

#include "decisions/DecisionList.h"
#include "decisions/dialogs/PlimmDecisionDialog.h"
#include "taskdialog/JSTypes.h"

#include <cstdint>
#include <string>

// The product dialogs as the tray window uses them. User-interface thread only.
namespace vx::dialogs {

// The single decision dialog, or null until the first ShowPlimmDecisions created it.
TKorvexPlimmDecisionDialog* DecisionDialog();
// Frees the decision dialog. It otherwise lives to the end of the process; whoever ends the
// Qt application first calls this, so that no window outlives it.
void FreeDecisionDialog();

// Shows the pending decisions of List (not owned) from the first, creating the dialog with
// OnVerdict as its verdict handler on first use (later calls' handlers are not used). An
// error is reported to the event log and goes no further. Returns true.
bool ShowPlimmDecisions(decisions::TDecisionList* List, TDecisionVerdictEvent OnVerdict);
// Shows the current decision and navigation again; false when there is no dialog or it fails.
bool RefreshPlimmDecisions();

// One error entry in the event log from the product's source with DialogName and Message;
// a failure to write it is swallowed.
void ReportDialogError(const std::string& DialogName, const std::string& Message);

// The product's modal message box; returns the modal result (6 Yes, 7 No, 1 OK, 2 Cancel,
// ...; 2 when the window is closed without a button). Msg is a widget text in the system's
// code page (its line breaks separate content lines; data in it must be escaped). Kind: 0
// warning, 1 error, 2 information, 3 confirmation, 4 custom, else no icon. Raises
// decisions::EDialogTextError while the dialog texts are not registered.
int KorvexMessageDlg(const std::string& Msg, std::uint8_t Kind, taskdialog::TCommonButtons Buttons,
                     std::int32_t HelpContext, taskdialog::TCommonButton DefaultButton);

} // namespace vx::dialogs
