#pragma once

#include <QLabel>

// A one-line label that never asks for more width than it is given: text that does not fit is
// cut with an ellipsis (at the end or in the middle), and the whole text stays readable as the
// tooltip and for screen readers.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(Qt::TextElideMode mode = Qt::ElideRight, QWidget* parent = nullptr);

    // The whole text; QLabel::text() is what is shown.
    QString fullText() const { return fullText_; }
    void setFullText(const QString& text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShownText();

    Qt::TextElideMode mode_;
    QString fullText_;
};
