#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QTreeWidgetItem>

// The languages a chooser offers, and the pictures it shows for them.
namespace vx::i18n::ui {

// Pictures of one size, addressed by index.
class TImageList {
public:
    explicit TImageList(QSize size) : FSize(size) {}

    QSize Size() const { return FSize; }
    int Count() const { return static_cast<int>(FImages.size()); }
    // Adds `image` scaled to the list's size; returns its index.
    int Add(const QPixmap& image);
    // The image at `index` as an icon; an empty icon for -1 or an index out of range.
    QIcon Icon(int index) const;
    void Clear() { FImages.clear(); }

private:
    QSize FSize;
    std::vector<QPixmap> FImages;
};

// One language offered to the user.
struct TAppLanguage {
    std::string BaseName;    // the language file's name without extension
    std::string DisplayName; // shown in the choosers
    std::string Hint;        // its usage hint
    QPixmap Flag16;
    QPixmap Flag32;
    int ImageIndex16 = -1; // into the translator's Image16List, -1 for none
    int ImageIndex32 = -1;
};

// The languages in the order the choosers list them. Items stay at their address while they
// are in the list, so chooser entries may point at them.
class TAppLanguageList {
public:
    TAppLanguage& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TAppLanguage& operator[](int index) const {
        return *FItems.at(static_cast<std::size_t>(index));
    }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TAppLanguage>> FItems;
};

// A row of the list-view chooser: caption, usage hint and base name, and the language it
// stands for (not owned).
class TLanguageListItem : public QTreeWidgetItem {
public:
    explicit TLanguageListItem(const TAppLanguage& language);

    const TAppLanguage* Language() const { return FLanguage; }

private:
    const TAppLanguage* FLanguage;
};

} // namespace vx::i18n::ui
