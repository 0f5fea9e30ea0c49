#include "i18n/ui/BiDiLayout.h"

#include <QVariant>
#include <QWidget>

namespace vx::i18n::ui {

Qt::LayoutDirection LayoutDirectionOf(TBiDiMode mode) {
    return mode == TBiDiMode::bdLeftToRight ? Qt::LeftToRight : Qt::RightToLeft;
}

void SetRightToLeftStyles(QWidget& window, TBiDiMode mode) {
    constexpr int rightToLeft = WS_EX_RIGHT | WS_EX_RTLREADING;
    int style = window.property(ExStyleProperty).toInt();
    style = mode == TBiDiMode::bdLeftToRight ? style & ~rightToLeft : style | rightToLeft;
    window.setProperty(ExStyleProperty, style);
    window.setLayoutDirection(LayoutDirectionOf(mode));
}

} // namespace vx::i18n::ui
