#include "i18n/ui/ControlTexts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace vx::i18n::ui {

namespace {

bool ShowsPicture(const QLabel& label) {
    return !label.pixmap().isNull() || label.movie() != nullptr || !label.picture().isNull();
}

// A status bar's panels: the labels placed on it, in order.
QList<QLabel*> StatusPanels(const QStatusBar& bar) {
    return bar.findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
}

// Replaces the entries of a list or combo box, keeping the current row where it still exists.
void ReplaceEntries(QListWidget& list, const QStringList& items) {
    const int current = list.currentRow();
    list.clear();
    list.addItems(items);
    if (current >= 0 && current < list.count()) {
        list.setCurrentRow(current);
    }
}

void ReplaceEntries(QComboBox& combo, const QStringList& items) {
    const int current = combo.currentIndex();
    combo.clear();
    combo.addItems(items);
    if (current >= 0 && current < combo.count()) {
        combo.setCurrentIndex(current);
    }
}

} // namespace

std::optional<QString> ControlText(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        if (ShowsPicture(*label)) {
            return std::nullopt;
        }
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return button->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&control)) {
        return group->title();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        return edit->text();
    }
    return std::nullopt;
}

void SetControlText(QWidget& control, const QString& text) {
    if (ControlText(control) == text) {
        return; // nothing to change, and a label keeps what setText would reset
    }
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&control)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(&control)) {
        group->setTitle(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(&control)) {
        edit->setText(text);
    }
}

QString ControlHint(const QWidget& control) {
    return control.toolTip();
}

void SetControlHint(QWidget& control, const QString& hint) {
    if (control.toolTip() != hint) {
        control.setToolTip(hint);
    }
}

QString ActionHint(const QAction& action) {
    return action.statusTip();
}

void SetActionHint(QAction& action, const QString& hint) {
    if (action.statusTip() != hint) {
        action.setStatusTip(hint);
        action.setToolTip(hint);
    }
}

std::optional<QStringList> ControlItems(const QWidget& control) {
    QStringList items;
    if (const auto* list = qobject_cast<const QListWidget*>(&control)) {
        for (int i = 0; i < list->count(); ++i) {
            items.append(list->item(i)->text());
        }
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        for (int i = 0; i < combo->count(); ++i) {
            items.append(combo->itemText(i));
        }
    } else if (const auto* view = qobject_cast<const QTreeWidget*>(&control)) {
        const QTreeWidgetItem* header = view->headerItem();
        for (int i = 0; i < view->columnCount(); ++i) {
            items.append(header->text(i));
        }
    } else if (const auto* tabs = qobject_cast<const QTabWidget*>(&control)) {
        for (int i = 0; i < tabs->count(); ++i) {
            items.append(tabs->tabText(i));
        }
    } else if (const auto* bar = qobject_cast<const QTabBar*>(&control)) {
        for (int i = 0; i < bar->count(); ++i) {
            items.append(bar->tabText(i));
        }
    } else if (const auto* header = qobject_cast<const QHeaderView*>(&control)) {
        const QAbstractItemModel* model = header->model();
        for (int i = 0; model != nullptr && i < header->count(); ++i) {
            items.append(model->headerData(i, header->orientation()).toString());
        }
    } else if (const auto* status = qobject_cast<const QStatusBar*>(&control)) {
        for (const QLabel* panel : StatusPanels(*status)) {
            items.append(panel->text());
        }
    } else {
        return std::nullopt;
    }
    return items;
}

void SetControlItems(QWidget& control, const QStringList& items) {
    const auto count = static_cast<int>(items.size());
    if (auto* list = qobject_cast<QListWidget*>(&control)) {
        ReplaceEntries(*list, items);
    } else if (auto* combo = qobject_cast<QComboBox*>(&control)) {
        ReplaceEntries(*combo, items);
    } else if (auto* view = qobject_cast<QTreeWidget*>(&control)) {
        for (int i = 0; i < view->columnCount() && i < count; ++i) {
            view->headerItem()->setText(i, items[i]);
        }
    } else if (auto* tabs = qobject_cast<QTabWidget*>(&control)) {
        for (int i = 0; i < tabs->count() && i < count; ++i) {
            tabs->setTabText(i, items[i]);
        }
    } else if (auto* bar = qobject_cast<QTabBar*>(&control)) {
        for (int i = 0; i < bar->count() && i < count; ++i) {
            bar->setTabText(i, items[i]);
        }
    } else if (auto* header = qobject_cast<QHeaderView*>(&control)) {
        QAbstractItemModel* model = header->model();
        for (int i = 0; model != nullptr && i < header->count() && i < count; ++i) {
            model->setHeaderData(i, header->orientation(), items[i]);
        }
    } else if (auto* status = qobject_cast<QStatusBar*>(&control)) {
        const QList<QLabel*> panels = StatusPanels(*status);
        for (int i = 0; i < panels.size() && i < count; ++i) {
            panels[i]->setText(items[i]);
        }
    }
}

bool IsLabelWithoutAccelerators(const QWidget& control) {
    const auto* label = qobject_cast<const QLabel*>(&control);
    return label != nullptr && label->buddy() == nullptr;
}

bool HoldsControls(const QWidget& control) {
    return qobject_cast<const QAbstractScrollArea*>(&control) == nullptr &&
           qobject_cast<const QComboBox*>(&control) == nullptr &&
           qobject_cast<const QAbstractSpinBox*>(&control) == nullptr &&
           qobject_cast<const QLineEdit*>(&control) == nullptr &&
           qobject_cast<const QAbstractButton*>(&control) == nullptr &&
           qobject_cast<const QLabel*>(&control) == nullptr &&
           qobject_cast<const QTabBar*>(&control) == nullptr;
}

QList<QWidget*> ChildControls(const QWidget& container) {
    QList<QWidget*> controls;
    for (QObject* child : container.children()) {
        if (auto* widget = qobject_cast<QWidget*>(child);
            widget != nullptr && !widget->isWindow()) {
            controls.append(widget);
        }
    }
    return controls;
}

int ControlTag(const QObject& control) {
    return control.property(TagProperty).toInt();
}

QString JoinLines(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

} // namespace vx::i18n::ui
