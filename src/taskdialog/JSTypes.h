#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// The enumerations and small value types of the task-dialog widget.
namespace vx::taskdialog {

enum TTaskDialogIcon : std::uint8_t {
    tdiNone,
    tdiWarning,
    tdiError,
    tdiInformation,
    tdiConfirmation,
    tdiCustom,
    tdiShield,
};

enum TCommonButton : std::uint8_t {
    cbYes,
    cbNo,
    cbOK,
    cbCancel,
    cbAbort,
    cbRetry,
    cbIgnore,
    cbAll,
    cbNoToAll,
    cbYesToAll,
    cbHelp,
    cbClose,
};
inline constexpr int CommonButtonCount = cbClose + 1;

enum TDialogOption : std::uint8_t {
    doShowHelpLink,
    doRadioButtons,
    doCommandLinks,
    doCommandLinksNoIcon,
    doProgressBar,
    doProgressBarMarquee,
    doTimer,
    doTopMost,
    doModal,
};

enum TDialogPosition : std::uint8_t {
    dpScreenCenter,
    dpDesktopCenter,
    dpMainFormCenter,
    dpOwnerFormCenter,
    dpDesigned,
};

enum THelpType : std::uint8_t { htKeyword, htContext };

enum TJSIconSize : std::uint8_t { isSmall, isMedium, isLarge };

enum TGradientDirection : std::uint8_t { gdHorizontal, gdVertical };

// What kind of control reported a click.
enum TJSControlType : std::uint8_t { ctCommonButton, ctCustomButton };

// A set of enumeration values (up to 32), like a Pascal set.
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E value : values) {
            Include(value);
        }
    }

    constexpr bool Contains(E value) const { return (FBits & Bit(value)) != 0; }
    constexpr void Include(E value) { FBits |= Bit(value); }
    constexpr void Exclude(E value) { FBits &= ~Bit(value); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TEnumSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E value) {
        return std::uint32_t{1} << static_cast<unsigned>(value);
    }
    std::uint32_t FBits = 0;
};

using TCommonButtons = TEnumSet<TCommonButton>;
using TDialogOptions = TEnumSet<TDialogOption>;

// Modal results of the buttons and of closing a window without one.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;
// What Execute returns when it shows a window modelessly or only brings it to the front.
inline constexpr int ExecuteShown = -1;

// The modal result of a common button; cbHelp has none (-1): it never closes the window.
int CommonButtonResult(TCommonButton button);
// The widget's caption of a common button, "&" marking the accelerator letter (UTF-8).
const char* CommonButtonCaption(TCommonButton button);

// A font as the widget's properties describe it. An empty Name takes the system's message
// font, a Size of 0 or less its size. Color is 0xRRGGBB. Charset is the Windows character-set
// number a loaded language gives; Unicode text rendering does not need it, it is kept so that
// the fonts report what the language set.
struct TJSFontSettings {
    std::string Name;
    int Size = 0;
    std::uint32_t Color = 0x000000;
    std::uint8_t Charset = 0;
};

// 0xRRGGBB of the three components.
constexpr std::uint32_t RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | std::uint32_t{b};
}

} // namespace vx::taskdialog
