#pragma once
// The "About" page: the version texts beside their captions, the logo, and
// three links (web page, mail, licence file).
#include <QLabel>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>

#include "VersionInfo.h"

class QGridLayout;

namespace permuto {

// A value field that can be clicked.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* Event) override;
};

class TAboutPage : public QWidget {
    Q_OBJECT
public:
    // Opens a link with the desktop's default action, true when something
    // opened it; tests replace it.
    using TOpener = std::function<bool(const QUrl& Url)>;

    explicit TAboutPage(const TVersionInfo& Info, QWidget* Parent = nullptr);
    void SetOpener(TOpener Opener) { FOpener = std::move(Opener); }

    QLabel* ValueLabel(int KeyPosition) const { return FValues[static_cast<size_t>(KeyPosition)]; }
    TLinkLabel* StaticTextWww() const { return FWww; }
    TLinkLabel* StaticTextMail() const { return FMail; }
    TLinkLabel* StaticTextLicense() const { return FLicense; }
    QLabel* Logo() const { return FLogo; }

private:
    QLabel* AddRow(int KeyPosition, QLabel* Value);
    TLinkLabel* AddLink(int KeyPosition, const TVersionInfo& Info, std::function<QUrl(const QString&)> Target);
    void Open(const QUrl& Url);

    TOpener FOpener;
    QGridLayout* FGrid = nullptr;
    std::array<QLabel*, VersionKeyCount> FValues{};
    TLinkLabel* FWww = nullptr;
    TLinkLabel* FMail = nullptr;
    TLinkLabel* FLicense = nullptr;
    QLabel* FLogo = nullptr;
};

} // namespace permuto
