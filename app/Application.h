#pragma once
// The application object. Every error that leaves a user action ends up here
// and is shown in one message box with its text; the program keeps running.
#include <QApplication>
#include <functional>

namespace permuto {

class TApplication : public QApplication {
public:
    TApplication(int& Argc, char** Argv);
    bool notify(QObject* Receiver, QEvent* Event) override;

    // How errors are shown; tests replace the message box.
    using TErrorPresenter = std::function<void(const QString& Message)>;
    static void SetErrorPresenter(TErrorPresenter Presenter);
    static void ShowError(const QString& Message);
};

} // namespace permuto
