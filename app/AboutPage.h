#pragma once
// The "About" page: the version texts beside their captions, the logo, and
// three links (web page, mail, licence file), and the module library in use. The texts can be selected and
// copied; the links are reached with Tab and opened with Enter or a click.
#include <QLabel>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>

#include "VersionInfo.h"

class QGridLayout;

namespace permuto {

class TAboutPage : public QWidget {
    Q_OBJECT
public:
    // Opens a link with the desktop's default action, true when something
    // opened it; tests replace it.
    using TOpener = std::function<bool(const QUrl& Url)>;

    explicit TAboutPage(const TVersionInfo& Info, QWidget* Parent = nullptr);
    void SetOpener(TOpener Opener) { FOpener = std::move(Opener); }

    QLabel* ValueLabel(int KeyPosition) const { return FValues[static_cast<size_t>(KeyPosition)]; }
    QLabel* StaticTextWww() const { return FValues[10]; }
    QLabel* StaticTextMail() const { return FValues[11]; }
    QLabel* StaticTextLicense() const { return FValues[12]; }
    QLabel* Logo() const { return FLogo; }
    // The module library in use and where libraries are looked for.
    void ShowLibrary(const QString& Report);
    QLabel* LibraryLabel() const { return FLibrary; }

private:
    QLabel* AddRow(int KeyPosition, const QString& Text);
    void AddLink(int KeyPosition, const TVersionInfo& Info, std::function<QUrl(const QString&)> Target);
    void Open(const QUrl& Url);

    TOpener FOpener;
    QGridLayout* FGrid = nullptr;
    std::array<QLabel*, VersionKeyCount> FValues{};
    QLabel* FLogo = nullptr;
    QLabel* FLibrary = nullptr;
};

} // namespace permuto
