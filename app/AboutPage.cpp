#include "AboutPage.h"

#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>

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

constexpr int CaptionLeft = 338;
constexpr int ValueLeft = 418;
constexpr int RowHeight = 24;
constexpr int FirstTop = 20;
const QColor LinkColour(255, 128, 0);

QLabel* PlaceLabel(QLabel* Label, int Left, int Top)
{
    Label->move(Left, Top);
    Label->adjustSize();
    return Label;
}

} // namespace

void TLinkLabel::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(Event);
}

TAboutPage::TAboutPage(const TVersionInfo& Info, QWidget* Parent)
    : QWidget(Parent)
    , FOpener([](const QUrl& Url) { QDesktopServices::openUrl(Url); })
{
    setAutoFillBackground(true);
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, Qt::black);
    Colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(Colours);

    FLogo = new QLabel(this);
    FLogo->setGeometry(9, 17, 320, 300);
    FLogo->setScaledContents(true);
    FLogo->setPixmap(QPixmap::fromImage(DecodeJpeg(LogoJpeg, LogoJpegSize)));

    for (int I = 0; I < 10; ++I) {
        const int Top = FirstTop + I * RowHeight;
        PlaceLabel(new QLabel(QString::fromLatin1(Captions[I]), this), CaptionLeft, Top);
        FValues[static_cast<size_t>(I)] =
            PlaceLabel(new QLabel(QString::fromStdString(Info.Values[static_cast<size_t>(I)]), this), ValueLeft, Top);
    }
    FWww = AddLink(10, 260, QString::fromLatin1(Captions[10]), Info,
                   [](const QString& Text) { return QUrl(QStringLiteral("http://") + Text); });
    FMail = AddLink(11, 284, QString::fromLatin1(Captions[11]), Info,
                    [](const QString& Text) { return QUrl(QStringLiteral("mailto:") + Text); });
    FLicense = AddLink(12, 304, QString::fromLatin1(Captions[12]), Info, [](const QString& Text) {
        return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(ExeDir())) + Text);
    });
}

TLinkLabel* TAboutPage::AddLink(int KeyPosition, int Top, const QString& Caption, const TVersionInfo& Info,
                                std::function<QUrl(const QString&)> Target)
{
    PlaceLabel(new QLabel(Caption, this), CaptionLeft, Top);
    auto* Link = new TLinkLabel(QString::fromStdString(Info.Values[static_cast<size_t>(KeyPosition)]), this);
    FValues[static_cast<size_t>(KeyPosition)] = PlaceLabel(Link, ValueLeft, Top);
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
    FOpener(Url);
}

} // namespace permuto
