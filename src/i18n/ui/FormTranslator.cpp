#include "i18n/ui/FormTranslator.h"

#include "i18n/ui/BiDiLayout.h"
#include "i18n/ui/ControlTexts.h"

#include <QAction>
#include <QFont>
#include <QWidget>

namespace vx::i18n::ui {

namespace {

QString ReadText(const TLanguageFile& ini, const std::string& section, const std::string& key,
                 const QString& current) {
    return QString::fromStdString(ini.ReadString(section, key, current.toStdString()));
}

void TranslateText(const std::string& section, const std::string& key, QWidget& control,
                   const TTranslateContext& context) {
    const std::optional<QString> current = ControlText(control);
    if (!current) {
        return;
    }
    SetControlText(control,
                   DecodeControlText(context.Ini.ReadString(section, key, current->toStdString()),
                                     IsLabelWithoutAccelerators(control)));
}

void TranslateItems(const std::string& section, const std::string& key, QWidget& control,
                    const TTranslateContext& context) {
    std::optional<QStringList> items;
    try {
        items = ControlItems(control);
        if (!items) {
            items = QStringList{ControlText(control).value_or(QString())};
        }
    } catch (...) {
        return; // the list could not be collected: the control keeps its items
    }
    try {
        std::string value =
            context.Ini.ReadString(section, key + ItemsSuffix, JoinLines(*items).toStdString());
        UnescapeText(value);
        SetControlItems(control, SplitLines(QString::fromStdString(value)));
    } catch (...) {
        // one faulty item list leaves the rest of the walk going
    }
}

} // namespace

QString DecodeControlText(std::string text, bool doubledAmpersands) {
    UnescapeText(text);
    ReplaceAll(text, "%%", "%");
    if (doubledAmpersands) {
        ReplaceAll(text, "&&", "&");
    }
    return QString::fromStdString(text);
}

void TranslateForm(QWidget& form, const TLanguageFile& ini, const TFontSettings& font,
                   const TOwnerHandler& onOwnerLoad) {
    const TTranslateContext context{ini, font};
    // A QFont chooses its glyphs by Unicode and has no character set: the file's charset is
    // recorded with the loaded font and in the dialogs' default fonts, not set on a widget.
    QFont formFont = form.font();
    formFont.setFamily(QString::fromStdString(font.Name));
    if (font.Size > 0) {
        formFont.setPointSize(font.Size);
    }
    form.setFont(formFont);
    form.setLayoutDirection(LayoutDirectionOf(font.BiDiMode));
    const std::string formName = ComponentName(form);
    form.setWindowTitle(ReadText(ini, FormsSection, formName, form.windowTitle()));
    SetRightToLeftStyles(form, font.BiDiMode);

    WalkForm(
        form,
        {
            .Menu = [&context](const std::string& section,
                               QWidget& menu) { TranslateMenuItems(section, menu, context); },
            .Control =
                [&formName, &context](QWidget& control, int index) {
                    TranslateControl(formName, &control, index, context);
                },
            .ActionList = [&context](const std::string& section,
                                     QObject& list) { TranslateActions(section, list, context); },
            .Each =
                [&onOwnerLoad, &ini](const std::string& section, QObject& component) {
                    if (onOwnerLoad) {
                        onOwnerLoad(section, &component, ini);
                    }
                },
        });
}

void TranslateControl(const std::string& section, QWidget* control, int index,
                      const TTranslateContext& context) {
    if (control == nullptr) {
        return;
    }
    // A control that follows its parent's font takes the form's name and size through Qt's
    // font propagation; one with a font of its own keeps it.
    control->setLayoutDirection(LayoutDirectionOf(context.Font.BiDiMode));
    const std::string key = ControlKey(*control, index);
    try {
        TranslateText(section, key, *control, context);
    } catch (...) {
        // the control keeps its text; its hint and items follow
    }
    try {
        SetControlHint(*control,
                       ReadText(context.Ini, section, key + HintSuffix, ControlHint(*control)));
    } catch (...) {
        // the control keeps its hint
    }
    if (ControlTag(*control) == 0) {
        TranslateItems(section, key, *control, context);
    }

    WalkContainer(
        section, *control,
        [&context](const std::string& inner, QWidget& child, int childIndex) {
            try {
                TranslateControl(inner, &child, childIndex, context);
            } catch (...) {
                // one faulty child leaves its siblings to be translated
            }
        },
        [&context](const std::string& listSection, QObject& list) {
            try {
                TranslateActions(listSection, list, context);
            } catch (...) {
                // one faulty list leaves the others to be translated
            }
        });
}

void TranslateMenuItems(const std::string& section, QWidget& menu,
                        const TTranslateContext& context) {
    WalkMenuItems(section, menu, [&context](const std::string& itemSection, QAction& item) {
        item.setText(ReadText(context.Ini, itemSection, ComponentName(item), item.text()));
    });
}

void TranslateActions(const std::string& section, QObject& actionList,
                      const TTranslateContext& context) {
    for (QAction* action : ListActions(actionList)) {
        const std::string name = ComponentName(*action);
        action->setText(ReadText(context.Ini, section, name, action->text()));
        SetActionHint(*action,
                      ReadText(context.Ini, section, name + HintSuffix, ActionHint(*action)));
    }
}

} // namespace vx::i18n::ui
