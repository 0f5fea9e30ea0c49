#pragma once

#include <functional>
#include <string>

#include <QList>

class QAction;
class QObject;
class QWidget;

// How a language file names the parts of a window, and the walk over them that loading a
// language and writing a template share.
//
// A window's components are its direct QObject children, in order: controls (child widgets),
// menus (QMenu, QMenuBar) and action lists (any other object that holds QActions, such as the
// tray window's "alTray"). A widget inside a container belongs to the container, as Qt's object
// tree has it, and is reached through it.
namespace vx::i18n::ui {

// The section of window captions, and the suffixes of a control's hint and item-list keys.
inline constexpr const char* FormsSection = "Forms";
inline constexpr const char* HintSuffix = ".Hint";
inline constexpr const char* ItemsSuffix = ".Items";

bool IsMenu(const QObject& component);
bool IsActionList(const QObject& component);
// The name of a component as the file spells it.
std::string ComponentName(const QObject& component);
// The section of what lies inside `component` under `section`: section + "." + its name.
std::string InnerSection(const std::string& section, const QObject& component);
// The key of a control's text: its name, or for a control without one its parent's name, a
// dot and its index.
std::string ControlKey(const QWidget& control, int index);

// What a walk over a window does with each kind of component; an empty step is skipped.
struct TFormWalk {
    // A menu, with its section (the window's name + "." + the menu's name).
    std::function<void(const std::string& section, QWidget& menu)> Menu;
    // A control, with its index among the window's components; its section is the window's name.
    std::function<void(QWidget& control, int index)> Control;
    // An action list, with its section.
    std::function<void(const std::string& section, QObject& actionList)> ActionList;
    // Then, for every component of any kind: its section (the window's name + "." + its name).
    std::function<void(const std::string& section, QObject& component)> Each;
};
// Walks the components of `form` in order. A step may delete a component still to come: the
// walk holds guarded pointers and passes over what is gone.
void WalkForm(QWidget& form, const TFormWalk& walk);

// The inside of the control `container` under `section`, when it is a named container: each
// child control with the inner section and its index among the child controls, then each action
// list the container owns with its section. An unnamed container is not entered.
void WalkContainer(
    const std::string& section, QWidget& container,
    const std::function<void(const std::string& inner, QWidget& child, int index)>& child,
    const std::function<void(const std::string& section, QObject& list)>& actionList);

// The named entries of a menu or menu bar with their section, and those of their submenus; an
// unnamed entry is passed over with its submenu.
void WalkMenuItems(const std::string& section, QWidget& menu,
                   const std::function<void(const std::string& section, QAction& item)>& item);

// The actions of an action list, in order.
QList<QAction*> ListActions(QObject& actionList);

} // namespace vx::i18n::ui
