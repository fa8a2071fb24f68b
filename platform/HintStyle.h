#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QProxyStyle>

namespace calvora::platform {

// The look of every hint of the program: a pale box with left-aligned text
// in the window-text colour, its lines wrapped at the caption width, shown
// after a delay while the mouse rests on a control.
class HintStyle : public QProxyStyle
{
    Q_OBJECT

public:
    struct Settings
    {
        int delayMs = 2500;
        int captionWidth = 200;
        QColor colour{0xF7, 0xF7, 0xF8};
    };

    explicit HintStyle(const Settings &settings);
    const Settings &settings() const { return m_settings; }

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

    // Gives the application this hint style and the matching tool-tip look.
    static void apply(const Settings &settings);

    // A hint's text broken into lines no wider than width pixels in the
    // font given; a word longer than a line keeps a line of its own.
    static QString wrapped(const QString &text, const QFontMetrics &metrics, int width);

private:
    Settings m_settings;
};

} // namespace calvora::platform
