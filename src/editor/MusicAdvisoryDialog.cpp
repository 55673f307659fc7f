#include "MusicAdvisoryDialog.h"

#include "WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MusicAdvisoryDialog::MusicAdvisoryDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("musicAdvisoryDialog"));
    setWindowTitle(QStringLiteral("Advisory"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* text = new QLabel(QStringLiteral("Music tracks have been enabled, but no music tracks have\n"
                                           "been selected.  You may select tracks now, or continue without\n"
                                           "musical effects."),
                            this);
    text->setObjectName(QStringLiteral("adviceLabel"));
    text->setTextFormat(Qt::PlainText);

    selectMusicButton_ = new QPushButton(QStringLiteral("Select &Music Tracks"), this);
    selectMusicButton_->setObjectName(QStringLiteral("selectMusicButton"));
    continueButton_ = new QPushButton(QStringLiteral("&Continue without Music"), this);
    continueButton_->setObjectName(QStringLiteral("continueButton"));
    continueButton_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(selectMusicButton_);
    buttons->addWidget(continueButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSpacing(16);
    layout->addWidget(text);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(selectMusicButton_, &QPushButton::clicked, this, &MusicAdvisoryDialog::selectTracks);
    connect(continueButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void MusicAdvisoryDialog::ask() {
    adjustSize();
    centreOnScreen(*this);
    continueButton_->setFocus();
    exec();
}

void MusicAdvisoryDialog::selectTracks() {
    // The track dialog takes this one's place on the screen.
    hide();
    if (selectTracks_)
        selectTracks_();
    reject();
}
