#include "Application.h"

#include <exception>

namespace permuto {

namespace {

const QString Caption = QStringLiteral("Permuto");

void ShowInMessageBox(TApplication::TSeverity Severity, const QString& Message)
{
    if (Severity == TApplication::TSeverity::Error)
        QMessageBox::critical(QApplication::activeWindow(), Caption, Message);
    else
        QMessageBox::warning(QApplication::activeWindow(), Caption, Message);
}

QMessageBox::StandardButton AskInMessageBox(const QString& Question, QMessageBox::StandardButtons Buttons,
                                            QMessageBox::StandardButton Default)
{
    QMessageBox Box(QMessageBox::Question, Caption, Question, Buttons, QApplication::activeWindow());
    Box.setDefaultButton(Default);
    return static_cast<QMessageBox::StandardButton>(Box.exec());
}

TApplication::TPresenter& Presenter()
{
    static TApplication::TPresenter Current = ShowInMessageBox;
    return Current;
}

TApplication::TAsker& Asker()
{
    static TApplication::TAsker Current = AskInMessageBox;
    return Current;
}

} // namespace

TApplication::TApplication(int& Argc, char** Argv)
    : QApplication(Argc, Argv)
{
    setApplicationName(Caption);
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowError(QString::fromLocal8Bit(Error.what()));
    }
    return false;
}

void TApplication::SetPresenter(TPresenter NewPresenter)
{
    Presenter() = NewPresenter ? std::move(NewPresenter) : TPresenter(ShowInMessageBox);
}

void TApplication::SetAsker(TAsker NewAsker)
{
    Asker() = NewAsker ? std::move(NewAsker) : TAsker(AskInMessageBox);
}

void TApplication::ShowError(const QString& Message)
{
    Presenter()(TSeverity::Error, Message);
}

void TApplication::ShowWarning(const QString& Message)
{
    Presenter()(TSeverity::Warning, Message);
}

QMessageBox::StandardButton TApplication::Ask(const QString& Question, QMessageBox::StandardButtons Buttons,
                                              QMessageBox::StandardButton Default)
{
    return Asker()(Question, Buttons, Default);
}

bool TApplication::Guarded(const std::function<void()>& Action)
{
    try {
        Action();
        return true;
    } catch (const std::exception& Error) {
        ShowError(QString::fromLocal8Bit(Error.what()));
    } catch (...) {
        ShowError(QStringLiteral("An unknown error ended the action"));
    }
    return false;
}

} // namespace permuto
