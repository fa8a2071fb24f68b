#pragma once

#include <QColor>
#include <QProxyStyle>

namespace calvora::platform {

// The look of every hint of the program: a pale box with left-aligned text
// in the window-text colour, shown after a delay while the mouse rests on a
// control.
class HintStyle : public QProxyStyle
{
    Q_OBJECT

public:
    struct Settings
    {
        int delayMs = 2500;
        QColor colour{0xF7, 0xF7, 0xF8};
    };

    explicit HintStyle(const Settings &settings);
    const Settings &settings() const { return m_settings; }

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr, const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

    // Gives the application this hint style and the matching tool-tip look.
    static void apply(const Settings &settings);

private:
    Settings m_settings;
};

} // namespace calvora::platform
