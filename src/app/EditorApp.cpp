#include "EditorApp.h"

#include "DialogMessages.h"
#include "EditorWindow.h"
#include "HelpViewer.h"
#include "QtFileDialogs.h"
#include "ShowDocument.h"
#include "ShowWindow.h"

#include <QApplication>
#include <QDir>

int runEditor(UserMessages& messages, AudioEngine& engine) {
    QtFileDialogs dialogs;
    DesktopHelpViewer help;
    const QString guide =
        QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("UsersGuide.html"));
    EditorWindow editor(messages, dialogs, help, guide);
    dialogs.setParent(&editor);
    if (auto* onScreen = dynamic_cast<DialogMessages*>(&messages))
        onScreen->setParent(&editor);
    ShowWindow show(editor, engine);
    editor.setShowWindow(&show);
    QObject::connect(&editor, &EditorWindow::beginShowRequested, &show, [&editor, &show] {
        if (editor.document().slideCount() > 0)
            show.startShow();
    });
    editor.show();
    const int code = QApplication::exec();
    show.hide();
    return code;
}
