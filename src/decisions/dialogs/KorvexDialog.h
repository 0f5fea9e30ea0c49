#pragma once

#include "taskdialog/JSDialog.h"

#include <cstdint>
#include <string_view>

#include <QString>

namespace vx::dialogs {

// A dialog in the product's look, with its texts from one section of the dialog text
// catalogue (decisions/DialogTexts.h). The catalogue must be registered: reading a text
// without it raises decisions::EDialogTextError.
class TKorvexDialog : public taskdialog::TJSDialog {
public:
    explicit TKorvexDialog(std::uint8_t catalogueIndex);

    // The header band in the product's look: gradient, white title text, the product icon.
    void SetupHeader();
    // The text of `key` in the dialog's own section, as UTF-16; empty when the key is absent.
    QString GetText(std::string_view key) const;
    // The same from catalogue section `index`.
    static QString GetCatalogueText(std::string_view key, int index);
    // The "show this dialog again" check box, in the given state.
    void ShowVerificationCheck(bool state);

    std::uint8_t CatalogueIndex() const { return FCatalogueIndex; }

protected:
    // The catalogue text of `key` as it is, in the system's code page.
    std::string GetTextBytes(std::string_view key) const;

private:
    std::uint8_t FCatalogueIndex;
};

} // namespace vx::dialogs
