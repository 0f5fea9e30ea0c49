#include "i18n/ui/AppLanguages.h"

namespace vx::i18n::ui {

int TImageList::Add(const QPixmap& image) {
    FImages.push_back(image.isNull()
                          ? image
                          : image.scaled(FSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return Count() - 1;
}

QIcon TImageList::Icon(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return QIcon(FImages[static_cast<std::size_t>(index)]);
}

TAppLanguage& TAppLanguageList::Add() {
    return *FItems.emplace_back(std::make_unique<TAppLanguage>());
}

TLanguageListItem::TLanguageListItem(const TAppLanguage& language) : FLanguage(&language) {
    setText(0, QString::fromStdString(language.DisplayName));
    setText(1, QString::fromStdString(language.Hint));
    setText(2, QString::fromStdString(language.BaseName));
}

} // namespace vx::i18n::ui
