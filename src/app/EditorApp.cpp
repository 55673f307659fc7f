#include "EditorApp.h"

#include "AppFolders.h"
#include "DialogMessages.h"
#include "DiskSpace.h"
#include "EditorSession.h"
#include "EditorWindow.h"
#include "HelpViewer.h"
#include "QtFileDialogs.h"
#include "SystemFileOperations.h"
#include "SystemPrinterDevice.h"
#include "TrackSelectionDialog.h"
#include "WorkFolder.h"

#include <QApplication>
#include <QSettings>

int runEditor(UserMessages& messages, AudioEngine& engine, const QString& argument) {
    // However the program ends, the working folder goes with it; a folder that still holds a show
    // file or a subfolder stays.
    const OwnedWorkFolder workFolder = WorkFolder::createForThisInstance(messages);
    if (!workFolder.isValid())
        return 1;
    const QString& work = workFolder.path();

    QtFileDialogs dialogs;
    DesktopHelpViewer help;
    SystemDiskSpace disk;
    QSettings settings;
    SystemFileOperations files(messages);
    SystemPrinterDevice printer;
    EditorServices services{messages, dialogs, help,  disk,
                            settings, engine,  files, &EditorSession::showSplash};
    services.printer = &printer;
    EditorSession session(services, work, AppFolders::guideFile());
    dialogs.setParent(&session.editor());
    files.setDialogParent(&session.trackSelection());
    if (auto* onScreen = dynamic_cast<DialogMessages*>(&messages))
        onScreen->setParent(&session.editor());
    session.start(argument);
    return QApplication::exec();
}
