#include "decisions/DialogTextData.h"

namespace vx::decisions {

// The catalogue's built-in English texts. Keys and texts are used byte for byte: "%d" and "%s"
// are filled by the dialog that shows them, "&" marks an accelerator letter, and the tags are
// the task dialog's inline markup.

const std::array<TDialogDefault, DialogCount> DialogDefaults{{
    {"Generic", ""},
    {"ShowCompatibilityWarningInstalled", "Compatibility issues"},
    {"ShowCompatibilityWarningInstalling", "Compatibility issues"},
    {"ShowTemporaryFilesCleaning", "Clean temporary files first?"},
    {"ShowMainScannerMissingFilesWarning", "Important files are missing!"},
    {"ShowMainScannerDurationInformation", "How long will a scan take?"},
    {"ShowMainScannerCookieInformation", "A few words about the results and tracking cookies..."},
    {"ShowMainScannerCookieOptions", "Blocking Third Party Cookies"},
    {"AskMainScannerClose", ""},
    {"AskMainScannerCleaningElevation", "Continue cleaning as administrator?"},
    {"ShowMainScanMarquee", ""},
    {"AskFileScannerRunCleaner", "Do you want to clean the detected files?"},
    {"AskFileScannerContextInstallLocation", "For whom do you want to register the file scanner?"},
    {"AskFileScannerContextUninstall", "For whom do you want to unregister the file scanner?"},
    {"AskFileScannerAutoPlayInstallLocation",
     "For whom do you want to register the Autoplay file scanner?"},
    {"AskFileScannerAutoPlayUninstall", "For whom do you want to unregister the Autoplay scanner?"},
    {"WarnFileScannerQueueSize", "The scanner queue might get quite large!"},
    {"ShowLauncherSelection", "What do you want to scan?"},
    {"TestVistaUACImmunization", "What do you want to immunize?"},
    {"ShowImmunizationBrowsersOpenWarning", "Open browsers detected!"},
    {"ShowImmunizationIncompleteHint", "Immunization incomplete."},
    {"ShowImmunizationCorrectionCount", "Some immunized items have been updated or removed."},
    {"AskImmunizationPreselection", "Which browsers do you want to immunize?"},
    {"ShowQuarantineRecoveryFailed", "Some files could not be restored!"},
    {"ShowQuarantinePurgeFailed", "Some files could not be purged!"},
    {"AskQuarantineOldItemsPurge", "Do you want to clean up old entries?"},
    {"ShowQuarantineMarquee", ""},
    {"AskQuarantineRecoverItem", "Do you want to restore this item?"},
    {"AskQuarantinePurgeItem", "Do you want to purge this item?"},
    {"AskQuarantineDate", "Please specify a date"},
    {"TestVistaUACShredderRestart", "Retry with admin privileges?"},
    {"TestVistaUACShredderRestartOnTemplate", "Elevation needed for this template!"},
    {"AskShredderConfirmation", "Continue to shred files?"},
    {"GetProductSelection", "Please select the product you want ignored:"},
    {"ShowSettingsElevationNeeded", "You need administrator permissions to change this."},
    {"ShowLoadedHiveInformation", "Registry Hive Information"},
    {"AskRestorePoint", "Do you want a restore point?"},
    {"ShowRestorePointMarquee", "Creating restore point..."},
    {"ShowLogCreatedInformation", "Your log archive has been created."},
    {"AskDeepviseDeepScanOnQuickResults", "Hidden items found!"},
    {"ShowDeepviseDeepScanMarquee", "Performing Deep Scan..."},
    {"ShowUpdateProgessMarquee", "Checking for updates..."},
    {"AskCloseInternetForCleaning", "Internet disconnect recommended!"},
    {"ShowDetectedURLWarning", ""},
    {"AskToolsDeleteOrDisableConfirmation", "Are you sure you want to do this?"},
    {"AskToolsTerminateProcess", "Are you sure you want to terminate this process?"},
    {"ShowSidecastWin9kWarning", "Not supported on %s!"},
    {"ShowSidecastVistaInformation", "Vista's UAC will also protect you!"},
    {"ShowSidecastUserLevelWarning", "Your user level is already a safe one!"},
    {"AskPlimmDecisions", "A system change that needs your attention has occured (%d/%d)!"},
}};

const std::array<TDialogFurtherText, 24> DialogFurtherTexts{{
    {0, "VerificationShowAgain", "Show this dialog again?"},
    {19, "Content", "You should close all browsers to make sure immunization is successful."},
    {19, "ExpandoShow", "&Show list of browsers"},
    {19, "ExpandoHide", "&Hide list of browsers"},
    {19, "ExpandoBase", "The following browsers were detected as currently opened:"},
    {20, "Content",
     "The immunization is not complete, there are %d items still unprotected. There might be "
     "various reasons for that:"},
    {20, "Reason1",
     "Other security software (like AVG Free or ZoneAlarm) on your computer might not look close "
     "enough at the immunization changes and mistake them for malware instead of malware "
     "protection, blocking them. The help has more information on these issues."},
    {20, "ReasonVista",
     "On a default Vista installation (meaning UAC is enabled), you cannot immunize the whole "
     "system unless you elevate the immunizer. If you have told immunization to not offer this "
     "again, you can get it back in Settings."},
    {21, "Content",
     "The last operation caused %d of such items to be removed because they are no longer "
     "necessary."},
    {3, "Content1",
     "Scan speed will increase if you allow us to clean your temporary folder. In that folder, "
     "various applications store temporary files, sometimes forgetting to remove them, which can "
     "lead to thousands of useless files that slow down a full scan."},
    {3, "Content2", "We have located %d files in your temporary folders."},
    {3, "Content3", "Do you want Korvex - Thornet to remove these temporary files for you?"},
    {3, "Warning",
     "A word of warning: some people like to store files there themselves - this is not about the "
     "<i>Temporary Internet Files</i> folder but the ones called <i>Temp</i>. If you are among "
     "these, please answer <b>No</b> to this question!"},
    {3, "ExpandoShow", "&Show temporary files"},
    {3, "ExpandoHide", "&Hide temporary files"},
    {49, "Change", "<b>Change:</b> "},
    {49, "OldData", "<b>Old data:</b> "},
    {49, "NewData", "<b>New data:</b> "},
    {49, "Item", "<b>Item:</b> "},
    {49, "IdentifiedAs", "<b>Identified as:</b> "},
    {49, "ThreatLevel", "<b>Threat Level:</b> "},
    {49, "TimestampText", "This event was reported at %s."},
    {49, "Previous", "< Previous"},
    {49, "Next", "Next >"},
}};

} // namespace vx::decisions
