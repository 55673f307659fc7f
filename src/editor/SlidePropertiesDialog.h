#pragma once

// The slide properties dialog: one slide at a time, its position in the show, its caption, its
// sound and its own time, stepping through the slides with "<<" and ">>". Edits go straight into
// the document when they are stored (on stepping, on a picked sound stretching the slide, and on
// closing); a position change moves the slide at once. There is no cancel.
//
// Each field's rule runs when the focus leaves it for another control of the dialog, after the
// focus has moved, and never while another rule is running: a rule that gives the focus back or
// shows a box cannot set off the rule of the field the focus passed through.

#include <QDialog>
#include <QList>
#include <QLocale>
#include <QString>

class AudioEngine;
class FileDialogs;
class MediaPlayer;
class PictureWidget;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class ShowDocument;
class UserMessages;

class SlidePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    SlidePropertiesDialog(ShowDocument& document, UserMessages& messages, FileDialogs& dialogs,
                          AudioEngine& engine, QWidget* parent = nullptr);
    ~SlidePropertiesDialog() override;

    // Shows the dialog modally at currentSlide (the first slide when it is -1) and returns when it
    // has closed. delaySeconds: the show's default delay, which a picked sound is measured against.
    // The sound chooser starts in audioImportFolder, or in musicFolder when that is empty.
    void edit(int currentSlide, int delaySeconds, const QString& audioImportFolder,
              const QString& musicFolder);
    // What edit() does before it waits: for callers that show the dialog themselves.
    void prepare(int currentSlide, int delaySeconds, const QString& audioImportFolder,
                 const QString& musicFolder);

    int currentSlide() const { return currentSlide_; }
    // The locale times are shown and read in (the user's own unless set).
    void setLocale(const QLocale& locale) { locale_ = locale; }

    // Closing runs the focused position's rule and the checks of the time and the sound name; a
    // failed check keeps the dialog open. Then the fields are stored and the player closed.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Rule { None, Position, Timing, Sound };

    void loadSlideFields(int index);
    void storeSlideFields(int index);
    void previewImage(const QString& path);
    bool timingCheck() const;
    // The checks made before the dialog closes or steps: false, after telling the user, when the
    // time or the sound name is not acceptable.
    bool closeChecks();

    void step(int delta);
    void scheduleRule(Rule rule);
    // Each returns false when a rule sent the user back to a field.
    bool runQueuedRules();
    // The rules still waiting to run, and the position's rule when it has the focus.
    bool runPendingRules();
    bool runRule(Rule rule);
    bool positionRule();
    bool timingRule();
    bool soundRule();
    void timingRefused();
    void soundMissing();

    void soundEdited(const QString& text);
    void chooseSound();
    void play();
    void stop();
    void stopPreview();
    void playerNotified(int result, quint64 playId);
    void showPlayButton(bool playing);

    ShowDocument& doc_;
    UserMessages& messages_;
    FileDialogs& dialogs_;
    MediaPlayer* soundPlayer_;
    QLocale locale_;

    QLineEdit* positionEdit_;
    QLabel* slideTotalLabel_;
    QFrame* previewPanel_;
    PictureWidget* previewPicture_;
    QLabel* previewPanelText_;
    QLabel* previewFileLabel_;
    QPushButton* previousButton_;
    QPushButton* nextButton_;
    QLineEdit* captionEdit_;
    QLineEdit* soundEdit_;
    QToolButton* playButton_;
    QToolButton* stopButton_;
    QToolButton* chooseSoundButton_;
    QLineEdit* timingEdit_;
    QPushButton* okButton_;

    int currentSlide_ = 0;
    int delaySeconds_ = 0;
    QString audioImportFolder_;
    QString musicFolder_;
    QList<Rule> pendingRules_;
    bool ruleRunning_ = false;
};
