#pragma once
// The window's commands, one QAction each: the menus, the buttons and the
// shortcuts all show the same action, so they never disagree on what a
// command does or whether it can be used now.
#include <QPushButton>

class QAction;
class QMenu;
class QMenuBar;
class QUndoStack;

namespace permuto {

struct TWindowActions {
    QAction* Open;   // choose a patch in the file dialog and load it
    QAction* Load;   // load the patch named in the path field
    QAction* Save;   // save to the path in the field
    QAction* SaveAs; // choose a name and save there
    QAction* Exit;
    QAction* Undo;
    QAction* Redo;
    QAction* Swap;
    QAction* Order;
    QAction* OrderFewest; // inside each loop, the arrangement with the fewest late pairs
    QAction* MoveUp;
    QAction* MoveDown;
    QAction* Fit; // the patch view shows the whole area
    QAction* ZoomIn;
    QAction* ZoomOut;
    QAction* Library;        // choose the module library
    QAction* DefaultLibrary; // forget the chosen one
    QMenu* Recent;

    // The actions with their texts and shortcuts, in menus of Bar; Undo and
    // Redo are those of Undo's stack.
    TWindowActions(QWidget* Window, QMenuBar* Bar, QUndoStack* UndoStack);
    // The actions that need a loaded patch.
    void SetPatchLoaded(bool Loaded) const;
};

// A push button that shows an action: it triggers the action when clicked
// and is enabled while the action is. Its caption is the action's text
// unless it is given one of its own.
class TActionButton : public QPushButton {
public:
    explicit TActionButton(QAction* Action, const QString& Caption = {}, QWidget* Parent = nullptr);
};

// Keeps the patch's Undo and Redo keys for the patch in the text fields it
// is installed on: a field would otherwise take them for its own typing.
class TPatchUndoKeys : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
};

} // namespace permuto
