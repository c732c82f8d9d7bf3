#pragma once
// The application object, and the one place where the program speaks to the
// user in a dialog: errors of a user action, warnings, questions, and the
// choice of a file. Every user action catches its own errors and hands them
// here (Guarded); none passes through Qt's event loop. Tests replace the
// dialogs.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <functional>

namespace permuto {

class TApplication : public QApplication {
public:
    TApplication(int& Argc, char** Argv);
    // The last line of defence: an error that a handler did not catch.
    bool notify(QObject* Receiver, QEvent* Event) override;

    enum class TSeverity { Error, Warning };
    enum class TFileDialog { Open, SaveAs, Library };
    // How messages are shown, questions answered and files chosen.
    using TPresenter = std::function<void(TSeverity Severity, const QString& Message)>;
    using TAsker = std::function<QMessageBox::StandardButton(const QString& Question, QMessageBox::StandardButtons Buttons,
                                                             QMessageBox::StandardButton Default)>;
    // Gives the chosen file, or an empty text when the user cancelled.
    using TFileChooser = std::function<QString(TFileDialog Kind, const QString& Start)>;
    static void SetPresenter(TPresenter Presenter);
    static void SetAsker(TAsker Asker);
    static void SetFileChooser(TFileChooser Chooser);
    // The window that dialogs are centred on.
    static void SetDialogParent(QWidget* Window);

    static void ShowError(const QString& Message);
    static void ShowWarning(const QString& Message);
    // Asks with the given buttons; Enter gives Default.
    static QMessageBox::StandardButton Ask(const QString& Question, QMessageBox::StandardButtons Buttons,
                                           QMessageBox::StandardButton Default);
    // The file dialog: "Select a patch" to open one, "Save the patch as" to
    // name one (the suffix pch is added to a name without one), "Select a
    // module library" to read one. Start is a file or folder to begin in.
    static QString ChooseFile(TFileDialog Kind, const QString& Start);

    // Runs a user action; an error it raises is shown and ends the action.
    // False when it failed.
    static bool Guarded(const std::function<void()>& Action);
};

} // namespace permuto
