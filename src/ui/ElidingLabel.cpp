#include "ElidingLabel.h"

#include <QResizeEvent>

ElidingLabel::ElidingLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, sizePolicy().verticalPolicy());
}

void ElidingLabel::setFullText(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    setAccessibleName(text);
    updateShownText();
}

QSize ElidingLabel::minimumSizeHint() const {
    const QSize hint = QLabel::minimumSizeHint();
    return QSize(0, hint.height());
}

QSize ElidingLabel::sizeHint() const {
    const QSize hint = QLabel::sizeHint();
    return QSize(std::min(hint.width(), fontMetrics().averageCharWidth() * 20), hint.height());
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateShownText();
}

void ElidingLabel::updateShownText() {
    // A framed label keeps half an 'x' of indent on each side.
    const int indentWidth =
        indent() >= 0 ? indent()
                      : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0);
    const int room = contentsRect().width() - 2 * margin() - 2 * indentWidth;
    const QString shown = fontMetrics().elidedText(fullText_, mode_, std::max(0, room));
    if (shown != text())
        setText(shown);
}
