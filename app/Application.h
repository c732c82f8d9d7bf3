#pragma once
// The application object, and the one place where the program speaks to the
// user in a message box: errors of a user action, warnings, and questions.
// Every user action catches its own errors and hands them here (Guarded);
// none passes through Qt's event loop.
#include <QApplication>
#include <QMessageBox>
#include <functional>

namespace permuto {

class TApplication : public QApplication {
public:
    TApplication(int& Argc, char** Argv);
    // The last line of defence: an error that a handler did not catch.
    bool notify(QObject* Receiver, QEvent* Event) override;

    enum class TSeverity { Error, Warning };
    // How messages are shown, and how questions are answered; tests replace
    // the message boxes.
    using TPresenter = std::function<void(TSeverity Severity, const QString& Message)>;
    using TAsker = std::function<QMessageBox::StandardButton(const QString& Question, QMessageBox::StandardButtons Buttons,
                                                             QMessageBox::StandardButton Default)>;
    static void SetPresenter(TPresenter Presenter);
    static void SetAsker(TAsker Asker);

    static void ShowError(const QString& Message);
    static void ShowWarning(const QString& Message);
    // Asks with the given buttons; Enter gives Default.
    static QMessageBox::StandardButton Ask(const QString& Question, QMessageBox::StandardButtons Buttons,
                                           QMessageBox::StandardButton Default);

    // Runs a user action; an error it raises is shown and ends the action.
    // False when it failed.
    static bool Guarded(const std::function<void()>& Action);
};

} // namespace permuto
