#include "ColorRef.h"

namespace ColorRef {

QColor toColor(quint32 value, const QPalette& palette) {
    if (value & 0x80000000u) {
        // The system colours a show can meet, mapped to the desktop's palette.
        switch (value & 0xFF) {
        case 1:
            return palette.color(QPalette::Window); // desktop
        case 2:
            return palette.color(QPalette::Highlight); // active caption
        case 4:
            return palette.color(QPalette::Window); // menu
        case 5:
            return palette.color(QPalette::Base); // window
        case 6:
            return palette.color(QPalette::Shadow); // window frame
        case 7:
            return palette.color(QPalette::WindowText); // menu text
        case 8:
            return palette.color(QPalette::Text); // window text
        case 13:
            return palette.color(QPalette::Highlight); // highlight
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
            return palette.color(QPalette::Button); // button face
        case 16:
            return palette.color(QPalette::Dark); // button shadow
        case 17:
            return palette.color(QPalette::PlaceholderText); // grey text
        case 18:
            return palette.color(QPalette::ButtonText);
        case 20:
            return palette.color(QPalette::Light); // button highlight
        case 21:
            return palette.color(QPalette::Shadow);
        case 22:
            return palette.color(QPalette::Midlight);
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Button);
        }
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

quint32 fromColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<quint32>(rgb.red()) | (static_cast<quint32>(rgb.green()) << 8) |
           (static_cast<quint32>(rgb.blue()) << 16);
}

std::optional<quint32> parse(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return static_cast<quint32>(value);
}

QColor backgroundFromSettingsLine(const QString& text, const QPalette& palette) {
    const std::optional<quint32> value = parse(text);
    return value ? toColor(*value, palette) : QColor(Qt::black);
}

} // namespace ColorRef
