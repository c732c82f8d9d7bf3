#include "Application.h"

#include <QMessageBox>
#include <exception>

namespace permuto {

namespace {

void ShowInMessageBox(const QString& Message)
{
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Permuto"), Message);
}

TApplication::TErrorPresenter& Presenter()
{
    static TApplication::TErrorPresenter Current = ShowInMessageBox;
    return Current;
}

} // namespace

TApplication::TApplication(int& Argc, char** Argv)
    : QApplication(Argc, Argv)
{
    setApplicationName(QStringLiteral("Permuto"));
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

void TApplication::SetErrorPresenter(TErrorPresenter NewPresenter)
{
    Presenter() = NewPresenter ? std::move(NewPresenter) : TErrorPresenter(ShowInMessageBox);
}

void TApplication::ShowError(const QString& Message)
{
    Presenter()(Message);
}

} // namespace permuto
