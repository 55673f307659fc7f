#include "ShowLauncher.h"

#include "MusicAdvisoryDialog.h"
#include "ShowDocument.h"
#include "ShowHost.h"
#include "ShowWindow.h"
#include "UserMessages.h"

void ShowLauncher::beginShow() {
    ShowDocument& doc = host_.document();
    if (doc.slideCount() == 0) {
        host_.messages().plain(QStringLiteral("No Images Selected!"));
        return;
    }
    // The tracks are looked at again when the show starts its music: the user may pick some here.
    if (host_.musicEnabled() && doc.musicTracks().isEmpty())
        advisory_.ask();
    show_.startShow();
}
