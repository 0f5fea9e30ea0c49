#include "platform/FormatMessage.h"

#include <algorithm>
#include <array>

namespace vx::win {

namespace {

struct TMessageText {
    DWORD Code;
    const char* Text;
};

// Sorted by code for the binary search below.
constexpr std::array<TMessageText, 24> MessageTable{{
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {12001, "No more handles could be generated at this time.\r\n"},
    {12002, "The operation timed out\r\n"},
    {12004, "An internal error occurred in the Microsoft Internet extensions\r\n"},
    {12005, "The URL is invalid\r\n"},
    {12006, "The URL does not use a recognized protocol\r\n"},
    {12007, "The server name or address could not be resolved\r\n"},
    {12029, "A connection with the server could not be established\r\n"},
    {12030, "The connection with the server was terminated abnormally\r\n"},
    {12031, "The connection with the server was reset\r\n"},
    {12150, "The requested header could not be located\r\n"},
    {12152, "The server returned an invalid or unrecognized response\r\n"},
}};

static_assert(std::is_sorted(MessageTable.begin(), MessageTable.end(),
                             [](const TMessageText& a, const TMessageText& b) {
                                 return a.Code < b.Code;
                             }));

} // namespace

bool FormatSystemMessage(DWORD code, std::string& text) {
    const auto* it = std::lower_bound(
        MessageTable.begin(), MessageTable.end(), code,
        [](const TMessageText& entry, DWORD wanted) { return entry.Code < wanted; });
    if (it == MessageTable.end() || it->Code != code) {
        return false;
    }
    text = it->Text;
    return true;
}

} // namespace vx::win
