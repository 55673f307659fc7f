#pragma once

// What the viewer and print preview tests share: the two windows over scripted messages,
// scripted file dialogs and a fake printer, and pictures written on demand.

#include "ChildWidget.h"
#include "FakePrinterDevice.h"
#include "ImageViewerWindow.h"
#include "PrintPreviewWindow.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

// A picture in four coloured quarters: red, green / blue, yellow.
inline QImage fourColours(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = width / 2;
    const int h = height / 2;
    painter.fillRect(0, 0, w, h, QColor(255, 0, 0));
    painter.fillRect(w, 0, width - w, h, QColor(0, 255, 0));
    painter.fillRect(0, h, w, height - h, QColor(0, 0, 255));
    painter.fillRect(w, h, width - w, height - h, QColor(255, 255, 0));
    return image;
}

class ViewerFixture : public ::testing::Test {
protected:
    ViewerFixture() { qputenv("HOME", QFile::encodeName(home.path())); }

    QString picture(const QString& name, int width, int height) {
        const QString path = home.file(name);
        fourColours(width, height).save(path);
        return path;
    }

    // The viewer on screen with the picture at path, active so that its keys work.
    void open(const QString& path, const QString& caption = QStringLiteral("x")) {
        viewer.showImage(path, caption);
        ASSERT_TRUE(viewer.isVisible());
        QApplication::setActiveWindow(&viewer);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));
    }
    void openPreview(const Picture& picture, const QString& fileName) {
        preview.preview(picture, fileName);
        ASSERT_TRUE(preview.isVisible());
        QApplication::setActiveWindow(&preview);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&preview));
    }

    TempFolder home;
    ScriptedMessages messages;
    ScriptedFileDialogs dialogs;
    FakePrinterDevice printer;
    PrintPreviewWindow preview{messages, printer, dialogs};
    ImageViewerWindow viewer{messages, preview};
};
