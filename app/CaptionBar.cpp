#include "CaptionBar.h"

namespace permuto {

QLabel* CaptionBar(const QString& Text, QWidget* Parent)
{
    auto* Bar = new QLabel(Text, Parent);
    Bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Bar->setAutoFillBackground(true);
    Bar->setContentsMargins(2, 2, 2, 2);
    QPalette Colours = Bar->palette();
    Colours.setColor(QPalette::Window, CaptionColour);
    Colours.setColor(QPalette::WindowText, Qt::black);
    Bar->setPalette(Colours);
    return Bar;
}

} // namespace permuto
