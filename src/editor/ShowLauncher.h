#pragma once

// Starts the show being edited: checks that there is something to show, asks about music that is
// on but has no tracks, and hands over to the show window, which does the rest.

class MusicAdvisoryDialog;
class ShowHost;
class ShowWindow;

class ShowLauncher {
public:
    ShowLauncher(ShowHost& host, ShowWindow& show, MusicAdvisoryDialog& advisory)
        : host_(host), show_(show), advisory_(advisory) {}

    void beginShow();

private:
    ShowHost& host_;
    ShowWindow& show_;
    MusicAdvisoryDialog& advisory_;
};
