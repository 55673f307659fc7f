#include "AboutBox.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr QSize kPicture(273, 213);
constexpr QSize kAboutClient(274, 244);
constexpr int kStripHeight = 29;
} // namespace

QPixmap AboutBox::creditsArtwork() {
    QPixmap pixmap(kPicture);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPicture.height());
    sky.setColorAt(0.0, QColor(24, 38, 92));
    sky.setColorAt(0.6, QColor(222, 118, 74));
    sky.setColorAt(1.0, QColor(248, 206, 122));
    p.fillRect(pixmap.rect(), sky);

    // Three slides fanned out, the middle one on top: a show in the making.
    const QColor frames[3] = {QColor(80, 160, 210), QColor(250, 190, 70), QColor(110, 180, 110)};
    const qreal angles[3] = {-14, 10, 0};
    const QPointF centres[3] = {{88, 96}, {186, 96}, {136, 88}};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(centres[i]);
        p.rotate(angles[i]);
        const QRectF card(-44, -32, 88, 64);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawRoundedRect(card.translated(3, 4), 4, 4);
        p.setBrush(Qt::white);
        p.drawRoundedRect(card, 4, 4);
        const QRectF inner = card.adjusted(5, 5, -5, -5);
        p.setBrush(frames[i]);
        p.drawRect(inner);
        QPainterPath hill;
        hill.moveTo(inner.bottomLeft());
        hill.lineTo(inner.left() + inner.width() * 0.35, inner.top() + inner.height() * 0.45);
        hill.lineTo(inner.left() + inner.width() * 0.6, inner.top() + inner.height() * 0.7);
        hill.lineTo(inner.left() + inner.width() * 0.8, inner.top() + inner.height() * 0.5);
        hill.lineTo(inner.bottomRight());
        hill.closeSubpath();
        p.setBrush(frames[i].darker(150));
        p.drawPath(hill);
        p.setBrush(QColor(255, 245, 200));
        p.drawEllipse(QPointF(inner.right() - 14, inner.top() + 12), 6, 6);
        p.restore();
    }

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRect(2, 138, kPicture.width(), 44), Qt::AlignCenter, QStringLiteral("Orvanne"));
    p.setPen(QColor(255, 250, 240));
    p.drawText(QRect(0, 136, kPicture.width(), 44), Qt::AlignCenter, QStringLiteral("Orvanne"));
    QFont line(QStringLiteral("DejaVu Sans"));
    line.setPixelSize(12);
    p.setFont(line);
    p.setPen(QColor(60, 30, 20));
    p.drawText(QRect(0, 180, kPicture.width(), 24), Qt::AlignCenter,
               QStringLiteral("Slide shows with pictures and music"));
    return pixmap;
}

AboutBox::AboutBox(Mode mode, QWidget* parent)
    : QDialog(parent), mode_(mode), creditsPicture_(new QLabel(this)), versionStrip_(new QWidget(this)),
      versionLabel_(new QLabel(QStringLiteral("Version 1.50 for Linux"), versionStrip_)),
      okButton_(new QPushButton(QStringLiteral("OK"), versionStrip_)), splashTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("aboutBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Orvanne"));
    setModal(true);

    creditsPicture_->setObjectName(QStringLiteral("creditsPicture"));
    creditsPicture_->setPixmap(creditsArtwork());
    creditsPicture_->setFixedSize(kPicture);
    creditsPicture_->setAccessibleName(QStringLiteral("Orvanne"));
    creditsPicture_->installEventFilter(this);
    versionStrip_->setObjectName(QStringLiteral("versionStrip"));
    versionStrip_->setFixedHeight(kStripHeight);
    versionLabel_->setObjectName(QStringLiteral("versionLabel"));
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto* strip = new QHBoxLayout(versionStrip_);
    strip->setContentsMargins(6, 2, 6, 2);
    strip->addWidget(versionLabel_);
    strip->addStretch();
    strip->addWidget(okButton_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(creditsPicture_, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(versionStrip_);

    splashTimer_->setObjectName(QStringLiteral("splashTimer"));
    splashTimer_->setSingleShot(true);
    splashTimer_->setInterval(kSplashMs);
    connect(splashTimer_, &QTimer::timeout, this, &QDialog::accept);

    if (mode == Mode::Splash) {
        // No frame, no strip: the picture alone, for three seconds or until it is clicked.
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
        versionStrip_->hide();
        setFixedSize(kPicture);
        splashTimer_->start();
    } else {
        // A dialog frame without the title bar's buttons.
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        setFixedSize(kAboutClient);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == creditsPicture_ && event->type() == QEvent::MouseButtonRelease) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
