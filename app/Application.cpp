#include "Application.h"
#include "SystemText.h"

#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QFileInfo>
#include <QPushButton>
#include <exception>

namespace permuto {

extern const unsigned char IconPng[];
extern const std::size_t IconPngSize;

namespace {

const QString Caption = QStringLiteral("Permuto");

QPointer<QWidget>& DialogParent()
{
    static QPointer<QWidget> Window;
    return Window;
}

QWidget* ParentWindow()
{
    return DialogParent() ? DialogParent().data() : QApplication::activeWindow();
}

void ShowInMessageBox(TApplication::TSeverity Severity, const QString& Message)
{
    QMessageBox Box(Severity == TApplication::TSeverity::Error ? QMessageBox::Critical : QMessageBox::Warning, Caption,
                    Message, QMessageBox::Ok, ParentWindow());
    Box.exec();
}

QMessageBox::StandardButton AskInMessageBox(const QString& Question, QMessageBox::StandardButtons Buttons,
                                            QMessageBox::StandardButton Default)
{
    QMessageBox Box(QMessageBox::Question, Caption, Question, Buttons, ParentWindow());
    Box.setDefaultButton(Default);
    // Every answer has its accelerator.
    const std::pair<QMessageBox::StandardButton, const char*> Texts[] = {
        {QMessageBox::Save, "&Save"}, {QMessageBox::Discard, "&Discard"}, {QMessageBox::Cancel, "&Cancel"},
        {QMessageBox::Yes, "&Yes"},   {QMessageBox::No, "&No"}};
    for (const auto& [Button, Text] : Texts)
        if (QAbstractButton* Shown = Box.button(Button))
            Shown->setText(QMessageBox::tr(Text));
    return static_cast<QMessageBox::StandardButton>(Box.exec());
}

QString ChooseInFileDialog(TApplication::TFileDialog Kind, const QString& Start)
{
    const bool Library = Kind == TApplication::TFileDialog::Library;
    const bool Open = Kind == TApplication::TFileDialog::Open || Library;
    QFileDialog Dialog(ParentWindow(), Library ? QStringLiteral("Select a module library")
                                       : Open  ? QStringLiteral("Select a patch")
                                               : QStringLiteral("Save the patch as"));
    if (Library) {
        Dialog.setNameFilters({QStringLiteral("module libraries (*.txt)"), QStringLiteral("any file (*)")});
    } else {
        Dialog.setNameFilters({QStringLiteral("patches (*.pch)"), QStringLiteral("any file (*)")});
        Dialog.setDefaultSuffix(QStringLiteral("pch"));
    }
    Dialog.setFileMode(Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    Dialog.setAcceptMode(Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Replacing a file is asked by the program itself, as for every save.
    Dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo Info(Start);
    if (Info.isFile()) {
        Dialog.setDirectory(Info.absolutePath());
        Dialog.selectFile(Info.fileName());
    } else if (Info.isDir()) {
        Dialog.setDirectory(Info.absoluteFilePath());
    }
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    return Dialog.selectedFiles().constFirst();
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

TApplication::TFileChooser& Chooser()
{
    static TApplication::TFileChooser Current = ChooseInFileDialog;
    return Current;
}

} // namespace

TApplication::TApplication(int& Argc, char** Argv)
    : QApplication(Argc, Argv)
{
    setApplicationName(Caption);
    // The desktop matches the window with its launcher by this name, and
    // shows the icon with it.
    setDesktopFileName(QStringLiteral(PERMUTO_DESKTOP_ID));
    setWindowIcon(QIcon(QPixmap::fromImage(QImage::fromData(IconPng, static_cast<int>(IconPngSize), "PNG"))));
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ShowError(FromCore(Error.what()));
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

void TApplication::SetFileChooser(TFileChooser NewChooser)
{
    Chooser() = NewChooser ? std::move(NewChooser) : TFileChooser(ChooseInFileDialog);
}

void TApplication::SetDialogParent(QWidget* Window)
{
    DialogParent() = Window;
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

QString TApplication::ChooseFile(TFileDialog Kind, const QString& Start)
{
    return Chooser()(Kind, Start);
}

bool TApplication::Guarded(const std::function<void()>& Action)
{
    try {
        Action();
        return true;
    } catch (const std::exception& Error) {
        ShowError(FromCore(Error.what()));
    } catch (...) {
        ShowError(QStringLiteral("An unknown error ended the action"));
    }
    return false;
}

} // namespace permuto
