#include "WindowActions.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace permuto {

namespace {

QAction* NewAction(QWidget* Window, const QString& Text, const QList<QKeySequence>& Keys = {},
                   const QString& Tip = {})
{
    auto* Action = new QAction(Text, Window);
    Action->setShortcuts(Keys);
    if (!Tip.isEmpty())
        Action->setToolTip(Tip);
    Window->addAction(Action); // its shortcut works wherever the focus is in the window
    return Action;
}

// The keys of Undo and Redo (made once there is an application: the
// platform's own keys come from it).
QList<QKeySequence> UndoKeys()
{
    return {QKeySequence::Undo};
}

QList<QKeySequence> RedoKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)};
}

} // namespace

TWindowActions::TWindowActions(QWidget* Window, QMenuBar* Bar, QUndoStack* UndoStack)
    : Open(NewAction(Window, QObject::tr("&Open ..."), {QKeySequence::Open}, QObject::tr("Choose a patch and load it")))
    , Load(NewAction(Window, QObject::tr("&Load"), {}, QObject::tr("Load the patch named in the field (Enter)")))
    , Save(NewAction(Window, QObject::tr("&Save"), {QKeySequence::Save}, QObject::tr("Save to the file named in the field")))
    , SaveAs(NewAction(Window, QObject::tr("Save &As ..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}))
    , Exit(NewAction(Window, QObject::tr("E&xit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}))
    , Undo(UndoStack->createUndoAction(Window, QObject::tr("&Undo")))
    , Redo(UndoStack->createRedoAction(Window, QObject::tr("&Redo")))
    , Swap(NewAction(Window, QObject::tr("S&wap indices"), {},
                     QObject::tr("Exchange the two indices in the chosen area (Enter in an index field)")))
    , Order(NewAction(Window, QObject::tr("&Order by signal flow"), {QKeySequence(Qt::CTRL | Qt::Key_R)},
                      QObject::tr("Renumber the chosen area so that signals flow from lower to higher indices")))
    , OrderFewest(NewAction(Window, QObject::tr("O&rder, fewest late in loops"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)},
                            QObject::tr("Order by signal flow, and arrange each feedback loop so that the fewest "
                                        "connections inside it arrive late (the loop's delays change)")))
    , MoveUp(NewAction(Window, QObject::tr("Move &up"), {QKeySequence(Qt::ALT | Qt::Key_Up)},
                       QObject::tr("Process the selected module one place earlier (Alt+Up)")))
    , MoveDown(NewAction(Window, QObject::tr("Move &down"), {QKeySequence(Qt::ALT | Qt::Key_Down)},
                         QObject::tr("Process the selected module one place later (Alt+Down)")))
    , Fit(NewAction(Window, QObject::tr("&Fit the patch view"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
                    QObject::tr("Show the whole area, or its whole width where the labels would otherwise grow too "
                                "small to read (Ctrl+0)")))
    , ZoomIn(NewAction(Window, QObject::tr("Zoom &in"), {QKeySequence::ZoomIn}))
    , ZoomOut(NewAction(Window, QObject::tr("Zoom &out"), {QKeySequence::ZoomOut}))
    , Library(NewAction(Window, QObject::tr("Module &library ..."), {},
                        QObject::tr("Read module type names and shapes from another library file")))
    , DefaultLibrary(NewAction(Window, QObject::tr("&Default module library"), {},
                               QObject::tr("Forget the chosen library: $PERMUTO_LIBRARY, your own data folder or "
                                           "the shipped library")))
{
    Undo->setShortcuts(UndoKeys());
    Redo->setShortcuts(RedoKeys());
    Window->addAction(Undo);
    Window->addAction(Redo);

    QMenu* File = Bar->addMenu(QObject::tr("&File"));
    File->addActions({Open, Load, Save, SaveAs});
    Recent = File->addMenu(QObject::tr("Recent &patches"));
    File->addSeparator();
    File->addAction(Exit);
    QMenu* Edit = Bar->addMenu(QObject::tr("&Edit"));
    Edit->addActions({Undo, Redo});
    Edit->addSeparator();
    Edit->addActions({Swap, Order, OrderFewest, MoveUp, MoveDown});
    QMenu* View = Bar->addMenu(QObject::tr("&View"));
    View->addActions({Fit, ZoomIn, ZoomOut});
    QMenu* Settings = Bar->addMenu(QObject::tr("Se&ttings")); // Alt+S is the Save button's
    Settings->addActions({Library, DefaultLibrary});
    SetPatchLoaded(false);
}

void TWindowActions::SetPatchLoaded(bool Loaded) const
{
    // Until a patch has been loaded there is nothing to save: an empty
    // document must never replace a patch file by a slip of the hand.
    for (QAction* Action : {Save, SaveAs, Swap, Order, OrderFewest, MoveUp, MoveDown})
        Action->setEnabled(Loaded);
}

TActionButton::TActionButton(QAction* Action, const QString& Caption, QWidget* Parent)
    : QPushButton(Caption.isEmpty() ? Action->text() : Caption, Parent)
{
    setAutoDefault(false);
    setToolTip(Action->toolTip());
    setEnabled(Action->isEnabled());
    connect(this, &QPushButton::clicked, Action, &QAction::trigger);
    connect(Action, &QAction::changed, this, [this, Action] { setEnabled(Action->isEnabled()); });
}

bool TPatchUndoKeys::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::ShortcutOverride) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        for (const QKeySequence& Keys : UndoKeys() + RedoKeys())
            if (Key->keyCombination() == Keys[0] || Key->matches(QKeySequence::Undo) || Key->matches(QKeySequence::Redo))
                return true; // not taken by the field: the window's Undo and Redo get it
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace permuto
