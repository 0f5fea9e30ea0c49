#pragma once

#include "i18n/AppTranslator.h"
#include "i18n/LanguageApplier.h"
#include "i18n/ui/AppLanguages.h"
#include "i18n/ui/FormTranslator.h"

#include <QList>
#include <QMenu>
#include <QMetaObject>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>

class QAction;
class QFont;
class QWidget;

namespace vx::i18n::ui {

// The translator's user-interface half: it applies a loaded language to the application's
// windows, keeps the loaded language's flag pictures, offers the languages in the attached
// choosers, and writes the language template. It attaches itself to `translator` for its
// lifetime. User-interface thread only.
class TTranslatorUi : public QObject, public TLanguageApplier {
public:
    explicit TTranslatorUi(TAppTranslator& translator);
    ~TTranslatorUi() override;
    TTranslatorUi(const TTranslatorUi&) = delete;
    TTranslatorUi& operator=(const TTranslatorUi&) = delete;

    TAppTranslator& Translator() const { return FTranslator; }
    // The loaded language's flags: empty before a load; 16 × 16 and 32 × 32 blanks after a
    // load of a file without them.
    const QPixmap& Flag16() const { return FFlag16; }
    const QPixmap& Flag32() const { return FFlag32; }
    TImageList& Image16List() { return FImage16List; }
    TImageList& Image32List() { return FImage32List; }
    // The languages the choosers offer; the application fills it before attaching one.
    TAppLanguageList& Languages() { return FLanguages; }

    // The list-view chooser (not owned; null detaches): three columns (the language's name,
    // its hint, and its base name hidden), one row per language sorted by name; a click on a
    // row chooses that language.
    QTreeWidget* DisplayListView() const { return FDisplayListView; }
    void SetDisplayListView(QTreeWidget* listView);
    // The menu chooser (not owned; null detaches): one entry per language, whose hint (status
    // tip) is the base name; choosing an entry chooses that language.
    QMenu* DisplayMenuItem() const { return FDisplayMenuItem; }
    void SetDisplayMenuItem(QMenu* menu);
    // What a click on the list view and on a menu entry do: remember the language and load it.
    void ListClick();
    void MenuClick(QObject* sender);

    // Raised for each component of each window a load translates; the save side for each
    // component a template walks.
    TOwnerHandler OnOwnerLoad;
    TOwnerSaveHandler OnOwnerSave;

    // Gives `font` the loaded language's face and size (a QFont has no character set).
    void ApplyLoadedFont(QFont& font) const;

    // The application's windows that a load translates, in a stable order: its top-level
    // windows and dialogs that have a name (menus, tooltips and other popups are not among them).
    static QList<QWidget*> Forms();

    // Every translatable text of the application's windows and of the handlers that save
    // their texts, with the "Main" section describing the built-in language.
    TLanguageFile LanguageTemplate() const;

    void SetApplicationHelpFile(const std::string& path) override;
    void SetApplicationBiDiMode(TBiDiMode mode) override;
    void LoadFlags(const TLanguageFile& ini) override;
    void TranslateForms(const TLanguageFile& ini) override;
    void ApplyFonts(const TFontSettings& font) override;

private:
    void ChooseLanguage(const std::string& baseName);

    TAppTranslator& FTranslator;
    QPixmap FFlag16;
    QPixmap FFlag32;
    TImageList FImage16List;
    TImageList FImage32List;
    TAppLanguageList FLanguages;
    QPointer<QTreeWidget> FDisplayListView;
    QMetaObject::Connection FListClickConnection;
    QPointer<QMenu> FDisplayMenuItem;
};

// The application's help file, as the last loaded language set it (empty before).
QString ApplicationHelpFile();

} // namespace vx::i18n::ui
