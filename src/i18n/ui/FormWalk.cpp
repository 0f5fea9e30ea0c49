#include "i18n/ui/FormWalk.h"

#include "i18n/ui/ControlTexts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

namespace vx::i18n::ui {

bool IsMenu(const QObject& component) {
    return qobject_cast<const QMenu*>(&component) != nullptr ||
           qobject_cast<const QMenuBar*>(&component) != nullptr;
}

bool IsActionList(const QObject& component) {
    if (component.isWidgetType() || qobject_cast<const QAction*>(&component) != nullptr) {
        return false;
    }
    return !component.findChildren<QAction*>(Qt::FindDirectChildrenOnly).isEmpty();
}

std::string ComponentName(const QObject& component) {
    return component.objectName().toStdString();
}

std::string InnerSection(const std::string& section, const QObject& component) {
    std::string inner = section;
    inner += '.';
    inner += ComponentName(component);
    return inner;
}

std::string ControlKey(const QWidget& control, int index) {
    std::string key = ComponentName(control);
    if (key.empty() && control.parent() != nullptr) {
        key = ComponentName(*control.parent()) + "." + std::to_string(index);
    }
    return key;
}

void WalkForm(QWidget& form, const TFormWalk& walk) {
    const std::string formName = ComponentName(form);
    QList<QPointer<QObject>> components;
    for (QObject* child : form.children()) {
        components.append(child);
    }
    for (int i = 0; i < components.size(); ++i) {
        QObject* component = components[i];
        if (component == nullptr) {
            continue; // deleted by a step of an earlier component
        }
        auto* control = qobject_cast<QWidget*>(component);
        if (IsMenu(*component)) {
            if (walk.Menu) {
                walk.Menu(InnerSection(formName, *component), *static_cast<QWidget*>(component));
            }
        } else if (control != nullptr && !control->isWindow()) {
            if (walk.Control) {
                walk.Control(*control, i);
            }
        } else if (IsActionList(*component) && walk.ActionList) {
            walk.ActionList(InnerSection(formName, *component), *component);
        }
        if (walk.Each) {
            walk.Each(InnerSection(formName, *component), *component);
        }
    }
}

void WalkContainer(
    const std::string& section, QWidget& container,
    const std::function<void(const std::string& inner, QWidget& child, int index)>& child,
    const std::function<void(const std::string& section, QObject& list)>& actionList) {
    if (ComponentName(container).empty() || !HoldsControls(container)) {
        return;
    }
    const std::string inner = InnerSection(section, container);
    const QList<QWidget*> children = ChildControls(container);
    for (int j = 0; j < children.size(); ++j) {
        child(inner, *children[j], j);
    }
    for (QObject* component : container.children()) {
        if (IsActionList(*component)) {
            actionList(InnerSection(inner, *component), *component);
        }
    }
}

void WalkMenuItems(const std::string& section, QWidget& menu,
                   const std::function<void(const std::string& section, QAction& item)>& item) {
    for (QAction* entry : menu.actions()) {
        if (ComponentName(*entry).empty()) {
            continue;
        }
        item(section, *entry);
        if (QMenu* submenu = entry->menu(); submenu != nullptr) {
            WalkMenuItems(InnerSection(section, *entry), *submenu, item);
        }
    }
}

QList<QAction*> ListActions(QObject& actionList) {
    return actionList.findChildren<QAction*>(Qt::FindDirectChildrenOnly);
}

} // namespace vx::i18n::ui
