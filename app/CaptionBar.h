#pragma once
// The grey bar that names what stands below it (an area's table, the patch
// view), and its colour, which the splitter handles share.
#include <QColor>
#include <QLabel>

namespace permuto {

inline const QColor CaptionColour(216, 216, 216);

QLabel* CaptionBar(const QString& Text, QWidget* Parent);

} // namespace permuto
