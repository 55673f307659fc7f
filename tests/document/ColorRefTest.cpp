#include "ColorRef.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

TEST(ColorRef, ValuesStoredByTheShow) {
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(ColorRef::toColor(0x00FF0000, palette), QColor(0, 0, 255)) << "0x00BBGGRR";
    EXPECT_EQ(ColorRef::toColor(0x000080FF, palette), QColor(255, 128, 0));
    EXPECT_EQ(ColorRef::toColor(ColorRef::kButtonFace, palette), palette.color(QPalette::Button));
    EXPECT_EQ(ColorRef::fromColor(QColor(255, 128, 0)), 0x000080FFu);
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("-2147483633", palette), palette.color(QPalette::Button));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("255", palette), QColor(255, 0, 0));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("red", palette), QColor(Qt::black));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("", palette), QColor(Qt::black));
    EXPECT_EQ(ColorRef::backgroundFromSettingsLine("4294967295", palette), QColor(Qt::black))
        << "beyond 32-bit signed";
}

} // namespace
