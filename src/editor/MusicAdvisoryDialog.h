#pragma once

// The question before a show whose music is on but has no tracks: pick tracks now, or go on
// without music. It has no result: the show starts either way, with whatever tracks there are
// when it closes.

#include <QDialog>

#include <functional>

class QPushButton;

class MusicAdvisoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit MusicAdvisoryDialog(QWidget* parent = nullptr);

    // What "Select Music Tracks" runs: the editor's track selection, modal.
    void setSelectTracks(std::function<void()> selectTracks) { selectTracks_ = std::move(selectTracks); }

    // Shows the dialog modally and returns when it has closed.
    void ask();

private:
    void selectTracks();

    std::function<void()> selectTracks_;
    QPushButton* selectMusicButton_;
    QPushButton* continueButton_;
};
