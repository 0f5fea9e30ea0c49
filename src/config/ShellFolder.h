#pragma once

#include <string>

namespace vx::config {

// Shell special-folder identifiers (CSIDL) this system resolves.
inline constexpr int CSIDL_DESKTOP = 0;
inline constexpr int CSIDL_PROGRAMS = 2;
inline constexpr int CSIDL_CONTROLS = 3;
inline constexpr int CSIDL_PERSONAL = 5;
inline constexpr int CSIDL_FAVORITES = 6;
inline constexpr int CSIDL_STARTUP = 7;
inline constexpr int CSIDL_RECENT = 8;
inline constexpr int CSIDL_SENDTO = 9;
inline constexpr int CSIDL_STARTMENU = 11;
inline constexpr int CSIDL_MYDOCUMENTS = 12;
inline constexpr int CSIDL_MYMUSIC = 13;
inline constexpr int CSIDL_MYVIDEO = 14;
inline constexpr int CSIDL_DESKTOPDIRECTORY = 16;
inline constexpr int CSIDL_NETHOOD = 19;
inline constexpr int CSIDL_FONTS = 20;
inline constexpr int CSIDL_TEMPLATES = 21;
inline constexpr int CSIDL_COMMON_STARTMENU = 22;
inline constexpr int CSIDL_COMMON_PROGRAMS = 23;
inline constexpr int CSIDL_COMMON_STARTUP = 24;
inline constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 25;
inline constexpr int CSIDL_APPDATA = 26;
inline constexpr int CSIDL_PRINTHOOD = 27;
inline constexpr int CSIDL_LOCAL_APPDATA = 28;
inline constexpr int CSIDL_ALTSTARTUP = 29;
inline constexpr int CSIDL_COMMON_ALTSTARTUP = 30;
inline constexpr int CSIDL_COMMON_FAVORITES = 31;
inline constexpr int CSIDL_COMMON_APPDATA = 35;
inline constexpr int CSIDL_WINDOWS = 36;
inline constexpr int CSIDL_SYSTEM = 37;
inline constexpr int CSIDL_PROGRAM_FILES = 38;
inline constexpr int CSIDL_PROFILE = 40;
inline constexpr int CSIDL_PROGRAM_FILES_COMMON = 43;
inline constexpr int CSIDL_COMMON_TEMPLATES = 45;
inline constexpr int CSIDL_COMMON_DOCUMENTS = 46;
inline constexpr int CSIDL_COMMON_MUSIC = 53;
inline constexpr int CSIDL_COMMON_VIDEO = 55;
inline constexpr int CSIDL_PROFILES = 62;

// What the shell answers for a special folder on this machine, or empty.
//
// The user's folders lie below the profile folder that the registry names for the current
// user: the value ProfileImagePath of the key ProfileList\<current user SID> below
// HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion (native view). The machine's folders are
// C:\Windows,
// C:\ProgramData and C:\Users\Public as on Windows 10. A folder is answered only when it
// exists in the current prefix. Virtual folders (Control Panel), the program-files folders
// (which depend on the view) and the folders Windows no longer has (alternate startup,
// common favorites) have no shell answer.
std::string GetShellFolder(int csidl);

} // namespace vx::config
