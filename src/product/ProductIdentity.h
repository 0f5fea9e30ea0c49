#pragma once

// Who the program is, in one place for start-up, the windows, the dialogs and the event log.
namespace vx::product {

// The suite's name: the configuration key's product name, the dialogs' title and the event
// source of dialog errors.
inline constexpr const char* ProductName = "Korvex - Thornet 2";
// The tray program's title, as the application names itself.
inline constexpr const char* ApplicationTitle = "Korvex - Thornet 2 Tray";
// The installed desktop file's name without ".desktop": the taskbar matches windows to it, the
// StatusNotifier item takes it as its id, and the AppStream component shares it.
inline constexpr const char* DesktopFileName = "com.qelvane.KorvexThornet2Tray";
// The event source under which the dialogs and the status loader report errors; registered at
// start-up together with the dialog texts.
inline constexpr const char* ProductEventSource = ProductName;

} // namespace vx::product
