#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QObject;
class QWidget;

// What a translation reads and writes on a Qt widget: its text, its hint, its item list, and
// whether its children are controls of the form. The kinds a language file names map to Qt as
// follows:
//   label            QLabel (one showing a picture has no text)
//   button, check box QAbstractButton
//   group box        QGroupBox (its title)
//   edit             QLineEdit
//   list box         QListWidget                 items
//   combo box        QComboBox                   items
//   list view        QTreeWidget                 the captions of its columns
//   tab control      QTabWidget, QTabBar         the texts of its tabs
//   header control   QHeaderView                 the texts of its sections
//   status bar       QStatusBar                  the texts of its labels, its panels
// A rich-text control (QTextEdit, QTextBrowser) holds a document rather than a caption: it
// takes fonts and direction only.
namespace vx::i18n::ui {

// The integer property that stands for a control's tag; a control whose tag is not 0 keeps its
// items when a language is loaded.
inline constexpr const char* TagProperty = "tag";

// The control's text, or nothing for a kind without one.
std::optional<QString> ControlText(const QWidget& control);
// Sets the text of a kind that has one; others stay as they are.
void SetControlText(QWidget& control, const QString& text);

// The hint: the control's tooltip.
QString ControlHint(const QWidget& control);
void SetControlHint(QWidget& control, const QString& hint);

// An action's hint: its status tip, which the menu entries and tool buttons linked to it show;
// a hint that is set becomes its tooltip too, an empty one gives the tooltip back to the caption.
QString ActionHint(const QAction& action);
void SetActionHint(QAction& action, const QString& hint);

// The item list of a listed kind, one entry per line, or nothing for other kinds.
std::optional<QStringList> ControlItems(const QWidget& control);
// Writes `items` into a listed kind: list and combo boxes take them all (keeping the current
// entry where it still exists); columns, tabs, sections and panels take line n for every n
// below their count, and keep their text where a line is missing.
void SetControlItems(QWidget& control, const QStringList& items);

// A label that does not show accelerators: a QLabel without a buddy, which shows "&" as it
// stands (one with a buddy shows "&&" as "&" and "&x" as the accelerator x).
bool IsLabelWithoutAccelerators(const QWidget& control);
// A control that holds controls of the form. Qt's composite widgets (item views, text edits,
// combo and spin boxes, buttons, labels, tab and header bars) keep their own parts as child
// widgets; those are not the form's controls, so a walk does not enter them.
bool HoldsControls(const QWidget& control);
// The child controls of `container`, in order: its child widgets that are not windows.
QList<QWidget*> ChildControls(const QWidget& container);
// The control's tag (TagProperty), 0 when it has none.
int ControlTag(const QObject& control);

// An item list as one text, and back: lines end at CR LF, CR or LF, and a line break at the
// end adds no empty item.
QString JoinLines(const QStringList& lines);
QStringList SplitLines(const QString& text);

} // namespace vx::i18n::ui
