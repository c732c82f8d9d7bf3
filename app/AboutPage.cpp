#include "AboutPage.h"
#include "SystemText.h"

#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpression>

#include "Application.h"
#include "JpegImage.h"
#include "base/ProgramPaths.h"

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

QString Text(const TVersionInfo& Info, int KeyPosition)
{
    return QString::fromStdString(Info.Values[static_cast<size_t>(KeyPosition)]);
}

} // namespace

TAboutPage::TAboutPage(const TVersionInfo& Info, QWidget* Parent)
    : QWidget(Parent)
    , FOpener([](const QUrl& Url) { return QDesktopServices::openUrl(Url); })
{
    setAutoFillBackground(true);
    QPalette Colours = palette();
    Colours.setColor(QPalette::Window, Qt::black);
    Colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
    Colours.setColor(QPalette::Text, QColor(0, 255, 0));
    Colours.setColor(QPalette::Link, LinkColour);
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
        AddRow(I, Text(Info, I));
    AddLink(10, Info, [](const QString& Text) { return QUrl(QStringLiteral("http://") + Text); });
    AddLink(11, Info, [](const QString& Text) { return QUrl(QStringLiteral("mailto:") + Text); });
    AddLink(12, Info, [](const QString& Text) {
        return QUrl::fromLocalFile(FromCore(DataDir()) + Text);
    });
    auto* Caption = new QLabel(QStringLiteral("Module library"), this);
    FLibrary = new QLabel(this);
    FLibrary->setTextFormat(Qt::PlainText);
    FLibrary->setWordWrap(true);
    FLibrary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FGrid->addWidget(Caption, VersionKeyCount, 0, Qt::AlignTop);
    FGrid->addWidget(FLibrary, VersionKeyCount, 1, Qt::AlignTop);
    FGrid->setRowStretch(VersionKeyCount + 1, 1);
}

void TAboutPage::ShowLibrary(const QString& Report)
{
    // The report's first line names the library; "module library: " is
    // what the caption already says.
    QString Text = Report;
    Text.remove(QRegularExpression(QStringLiteral("^module library: ")));
    FLibrary->setText(Text);
}

QLabel* TAboutPage::AddRow(int KeyPosition, const QString& Text)
{
    auto* Caption = new QLabel(QString::fromLatin1(Captions[KeyPosition]), this);
    auto* Value = new QLabel(Text, this);
    Value->setTextFormat(Qt::PlainText);
    Value->setWordWrap(true);
    Value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FGrid->addWidget(Caption, KeyPosition, 0, Qt::AlignTop);
    FGrid->addWidget(Value, KeyPosition, 1, Qt::AlignTop);
    FValues[static_cast<size_t>(KeyPosition)] = Value;
    return Value;
}

void TAboutPage::AddLink(int KeyPosition, const TVersionInfo& Info, std::function<QUrl(const QString&)> Target)
{
    const QString Value = Text(Info, KeyPosition);
    QLabel* Link = AddRow(KeyPosition, Value);
    // A key the build did not set reads "Unknown" and is no link: it is drawn
    // like the other values.
    if (!Info.Present[static_cast<size_t>(KeyPosition)])
        return;
    Link->setTextFormat(Qt::RichText);
    Link->setText(QStringLiteral("<a href=\"link\" style=\"color: %1; text-decoration: none\">%2</a>")
                      .arg(LinkColour.name(), Value.toHtmlEscaped()));
    Link->setTextInteractionFlags(Qt::TextBrowserInteraction); // Tab reaches it, Enter opens it
    Link->setFocusPolicy(Qt::StrongFocus);
    Link->setToolTip(Target(Value).toDisplayString());
    connect(Link, &QLabel::linkActivated, this, [this, Target, Value] { Open(Target(Value)); });
}

void TAboutPage::Open(const QUrl& Url)
{
    // A click that opens nothing says so instead of doing nothing.
    if (!FOpener(Url))
        TApplication::ShowWarning(tr("No program on this system opens %1").arg(Url.toDisplayString()));
}

} // namespace permuto
