#include "PlayOnlyHost.h"

#include "uShow.h"

void PlayOnlyHost::setMusicEnabled(bool on) {
    settings_.musicEnabled = on;
    doc_.setModified(true);
    if (show_)
        show_->MusicEnabled = on;
}

void PlayOnlyHost::showEditor() {
    // The stop and close paths may both hand the screen back; the program ends once.
    if (finishedOnce_)
        return;
    finishedOnce_ = true;
    if (finished_)
        finished_();
}
