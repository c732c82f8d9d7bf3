#pragma once
#include <QLabel>
#include <algorithm>

namespace permuto {

// The status line's text: wrapped, two lines high at least and as high as
// the message needs at the window's width.
class TStatusText : public QLabel {
public:
    explicit TStatusText(QWidget* Parent) : QLabel(Parent)
    {
        setWordWrap(true);
        setTextFormat(Qt::PlainText);
        FitHeight();
    }
    void Show(const QString& Message)
    {
        setText(Message);
        FitHeight();
    }

protected:
    void resizeEvent(QResizeEvent* Event) override
    {
        QLabel::resizeEvent(Event);
        FitHeight();
    }

private:
    void FitHeight()
    {
        const int Lines = 2 * fontMetrics().lineSpacing() + 2;
        const int Height = std::max(Lines, width() > 0 ? heightForWidth(width()) : Lines);
        if (Height != height())
            setFixedHeight(Height);
    }
};

} // namespace permuto
