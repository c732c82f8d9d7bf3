#include "AboutPage.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QFile>
#include <QMouseEvent>

#include "Application.h"
#include "Globals.h"
#include "JpegImage.h"

namespace permuto {

extern const unsigned char LogoJpeg[];
extern const std::size_t LogoJpegSize;

namespace {

const char* const Captions[VersionKeyCount] = {
    "Company",         "File Description", "File version", "Internal name", "Copyright",
    "Trademarks",      "Original name",    "Product name", "Product version", "Comments",
    "Www",             "Mail",             "License",
};

const QColor LinkColour(255, 128, 0);

} // namespace

void TLinkLabel::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(Event);
}

TAboutPage::TAboutPage(const TVersionInfo& Info, QWidget* Parent)
    : QWidget(Parent)
    , FOpener([](const QUrl& Url) { return QDesktopServices::openUrl(Url); })
{
    setAutoFillBackground(true);
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, Qt::black);
    Colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(Colours);

    // The logo at the left, the captions and their values beside it, each
    // value as wide as it needs (long ones wrap).
    auto* Row = new QHBoxLayout(this);
    Row->setContentsMargins(9, 17, 9, 9);
    Row->setSpacing(9);
    FLogo = new QLabel(this);
    FLogo->setFixedSize(320, 300);
    FLogo->setScaledContents(true);
    FLogo->setPixmap(QPixmap::fromImage(DecodeJpeg(LogoJpeg, LogoJpegSize)));
    Row->addWidget(FLogo, 0, Qt::AlignTop);
    FGrid = new QGridLayout;
    FGrid->setHorizontalSpacing(12);
    FGrid->setVerticalSpacing(6);
    FGrid->setColumnStretch(1, 1);
    Row->addLayout(FGrid, 1);

    for (int I = 0; I < 10; ++I)
        FValues[static_cast<size_t>(I)] = AddRow(I, new QLabel(QString::fromStdString(Info.Values[static_cast<size_t>(I)])));
    FWww = AddLink(10, Info, [](const QString& Text) { return QUrl(QStringLiteral("http://") + Text); });
    FMail = AddLink(11, Info, [](const QString& Text) { return QUrl(QStringLiteral("mailto:") + Text); });
    FLicense = AddLink(12, Info, [](const QString& Text) {
        return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(ExeDir())) + Text);
    });
    FGrid->setRowStretch(VersionKeyCount, 1);
}

QLabel* TAboutPage::AddRow(int KeyPosition, QLabel* Value)
{
    auto* Caption = new QLabel(QString::fromLatin1(Captions[KeyPosition]), this);
    Value->setParent(this);
    Value->setWordWrap(true);
    Value->setTextInteractionFlags(Qt::NoTextInteraction);
    FGrid->addWidget(Caption, KeyPosition, 0, Qt::AlignTop);
    FGrid->addWidget(Value, KeyPosition, 1, Qt::AlignTop);
    return Value;
}

TLinkLabel* TAboutPage::AddLink(int KeyPosition, const TVersionInfo& Info, std::function<QUrl(const QString&)> Target)
{
    auto* Link = new TLinkLabel(QString::fromStdString(Info.Values[static_cast<size_t>(KeyPosition)]));
    FValues[static_cast<size_t>(KeyPosition)] = AddRow(KeyPosition, Link);
    // A key the build did not set reads "Unknown" and is no link: it is drawn
    // like the other values.
    if (Info.Present[static_cast<size_t>(KeyPosition)]) {
        QPalette Colours = Link->palette();
        Colours.setColor(QPalette::WindowText, LinkColour);
        Link->setPalette(Colours);
        Link->setCursor(Qt::PointingHandCursor);
        connect(Link, &TLinkLabel::clicked, this, [this, Link, Target] { Open(Target(Link->text())); });
    }
    return Link;
}

void TAboutPage::Open(const QUrl& Url)
{
    // A click that opens nothing says so instead of doing nothing.
    if (!FOpener(Url))
        TApplication::ShowWarning(tr("No program on this system opens %1").arg(Url.toDisplayString()));
}

} // namespace permuto
