#include "i18n/ui/TranslatorUi.h"

#include "i18n/LanguageText.h"
#include "i18n/ui/BiDiLayout.h"
#include "i18n/ui/FormTemplate.h"
#include "taskdialog/JSDefaultFonts.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QMenu>
#include <QToolTip>
#include <QTreeWidget>

namespace vx::i18n::ui {

namespace {

constexpr const char* ImagesSection = "Images";
constexpr const char* Flag16Key = "Flag16";
constexpr const char* Flag32Key = "Flag32";
constexpr const char* HelpFileProperty = "helpFile";
// The class whose font stands for the screen's menu font, and for its icon font: the captions
// of items in lists and icon views.
constexpr const char* MenuFontClass = "QMenu";
constexpr const char* IconFontClass = "QAbstractItemView";
// The longest face name a font record holds.
constexpr qsizetype MaxDefaultFontName = 31;
constexpr const char* BuiltInLanguage = "English";
constexpr int ListColumns = 3;
constexpr int NameColumnWidth = 100;

// One flag of section "Images" into `target`: its bitmap file bytes, or a blank of `side`
// pixels when the key is empty. What could not be loaded leaves the target cleared.
void LoadFlag(const TLanguageFile& ini, const char* key, int side, QPixmap& target) {
    target = QPixmap();
    try {
        const std::string text = ini.ReadString(ImagesSection, key, "");
        if (text.empty()) {
            target = QPixmap(side, side);
            target.fill(Qt::transparent);
            return;
        }
        const std::vector<std::uint8_t> bytes = HexTextToBytes(text);
        QPixmap loaded;
        if (loaded.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "BMP")) {
            target = loaded;
        }
    } catch (...) {
        // the flag stays cleared
    }
}

} // namespace

TTranslatorUi::TTranslatorUi(TAppTranslator& translator)
    : FTranslator(translator), FImage16List(QSize(16, 16)), FImage32List(QSize(32, 32)) {
    FTranslator.SetApplier(this);
}

TTranslatorUi::~TTranslatorUi() {
    FTranslator.SetApplier(nullptr);
}

void TTranslatorUi::SetDisplayListView(QTreeWidget* listView) {
    disconnect(FListClickConnection);
    FDisplayListView = listView;
    if (listView == nullptr) {
        return;
    }
    FListClickConnection =
        connect(listView, &QTreeWidget::itemClicked, this, [this] { ListClick(); });
    listView->setRootIsDecorated(false); // a report: rows without a tree
    listView->setColumnCount(std::max(listView->columnCount(), ListColumns));
    QHeaderView* header = listView->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Interactive);
    listView->setColumnWidth(0, NameColumnWidth);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Fixed);
    listView->setColumnHidden(2, true);
    listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView->setIconSize(FImage16List.Size());

    listView->setUpdatesEnabled(false);
    listView->clear();
    listView->setSortingEnabled(true);
    listView->sortByColumn(0, Qt::AscendingOrder);
    for (int i = 0; i < FLanguages.Count(); ++i) {
        const TAppLanguage& language = FLanguages[i];
        auto* item = new TLanguageListItem(language);
        item->setIcon(0, FImage16List.Icon(language.ImageIndex16));
        listView->addTopLevelItem(item);
    }
    listView->setUpdatesEnabled(true);
}

void TTranslatorUi::SetDisplayMenuItem(QMenu* menu) {
    FDisplayMenuItem = menu;
    if (menu == nullptr) {
        return;
    }
    const QList<QAction*> entries = menu->actions();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        menu->removeAction(*entry);
        if ((*entry)->parent() == menu) {
            delete *entry;
        }
    }
    for (int i = 0; i < FLanguages.Count(); ++i) {
        const TAppLanguage& language = FLanguages[i];
        auto* entry = new QAction(QString::fromStdString(language.DisplayName), menu);
        entry->setStatusTip(QString::fromStdString(language.BaseName));
        entry->setIcon(FImage16List.Icon(language.ImageIndex16));
        connect(entry, &QAction::triggered, this, [this, entry] { MenuClick(entry); });
        menu->addAction(entry);
    }
}

void TTranslatorUi::ListClick() {
    if (FDisplayListView == nullptr) {
        return;
    }
    const QList<QTreeWidgetItem*> selected = FDisplayListView->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const auto* item = dynamic_cast<const TLanguageListItem*>(selected.first());
    if (item != nullptr && item->Language() != nullptr) {
        ChooseLanguage(item->Language()->BaseName);
    }
}

void TTranslatorUi::MenuClick(QObject* sender) {
    if (const auto* entry = qobject_cast<const QAction*>(sender)) {
        ChooseLanguage(entry->statusTip().toStdString());
    }
}

void TTranslatorUi::ChooseLanguage(const std::string& baseName) {
    FTranslator.SaveLanguageChoice(baseName);
    FTranslator.LoadLanguage(FTranslator.LanguageFilePath(baseName));
}

void TTranslatorUi::ApplyLoadedFont(QFont& font) const {
    const TFontSettings& loaded = FTranslator.LoadedFont();
    if (!loaded.Name.empty()) {
        font.setFamily(QString::fromStdString(loaded.Name));
    }
    if (loaded.Size > 0) {
        font.setPointSize(loaded.Size);
    }
}

QList<QWidget*> TTranslatorUi::Forms() {
    QList<QWidget*> forms;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) && !window->objectName().isEmpty()) {
            forms.append(window);
        }
    }
    std::stable_sort(forms.begin(), forms.end(), [](const QWidget* a, const QWidget* b) {
        return a->objectName() < b->objectName();
    });
    return forms;
}

TLanguageFile TTranslatorUi::LanguageTemplate() const {
    TLanguageFile ini;
    ini.WriteString(MainSection, LanguageNameKey, BuiltInLanguage);
    ini.WriteString(MainSection, UseKey, "");
    ini.WriteString(MainSection, HelpFileKey, FTranslator.HelpFile());
    const QList<QWidget*> forms = Forms();
    TFontSettings font = ReadFontSettings(ini);
    if (!forms.isEmpty()) {
        font.Name = forms.first()->font().family().toStdString();
        font.Size = forms.first()->font().pointSize();
    }
    WriteFontSettings(ini, font, false);
    for (QWidget* form : forms) {
        WriteFormTexts(*form, ini, OnOwnerSave);
    }
    FTranslator.RunSaveHandlers(ini);
    return ini;
}

void TTranslatorUi::SetApplicationHelpFile(const std::string& path) {
    qApp->setProperty(HelpFileProperty, QString::fromStdString(path));
}

void TTranslatorUi::SetApplicationBiDiMode(TBiDiMode mode) {
    QApplication::setLayoutDirection(LayoutDirectionOf(mode));
}

void TTranslatorUi::LoadFlags(const TLanguageFile& ini) {
    LoadFlag(ini, Flag16Key, 16, FFlag16);
    LoadFlag(ini, Flag32Key, 32, FFlag32);
}

void TTranslatorUi::TranslateForms(const TLanguageFile& ini) {
    QList<QPointer<QWidget>> forms;
    for (QWidget* form : Forms()) {
        forms.append(form);
    }
    for (const QPointer<QWidget>& form : forms) {
        if (form == nullptr) {
            continue; // closed by a handler of an earlier form
        }
        try {
            const TFontSettings font = ReadFontSettings(ini);
            FTranslator.SetLoadedFont(font);
            TranslateForm(*form, ini, font, OnOwnerLoad);
        } catch (...) {
            // one faulty window leaves the others to be translated
        }
    }
}

void TTranslatorUi::ApplyFonts(const TFontSettings& font) {
    // The default font goes first: setting it makes Qt forget the fonts set per class.
    if (!font.Name.empty()) {
        QFont defaultFont = QApplication::font();
        defaultFont.setFamily(QString::fromStdString(font.Name).left(MaxDefaultFontName));
        QApplication::setFont(defaultFont);
    }
    QFont menuFont = QApplication::font(MenuFontClass);
    ApplyLoadedFont(menuFont);
    QApplication::setFont(menuFont, MenuFontClass);
    QFont hintFont = QToolTip::font();
    ApplyLoadedFont(hintFont);
    QToolTip::setFont(hintFont);
    QFont iconFont = QApplication::font(IconFontClass);
    ApplyLoadedFont(iconFont);
    QApplication::setFont(iconFont, IconFontClass);
    for (taskdialog::TJSFontSettings& dialogFont : taskdialog::TJSDefaultFonts()) {
        dialogFont.Charset = font.Charset;
    }
}

QString ApplicationHelpFile() {
    return qApp->property(HelpFileProperty).toString();
}

} // namespace vx::i18n::ui
