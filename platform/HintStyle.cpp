#include "HintStyle.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>

namespace calvora::platform {

HintStyle::HintStyle(const Settings &settings) : m_settings(settings) {}

int HintStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                         QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return m_settings.delayMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void HintStyle::apply(const Settings &settings)
{
    QApplication::setStyle(new HintStyle(settings));
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, settings.colour);
    palette.setColor(QPalette::ToolTipText, QApplication::palette().color(QPalette::WindowText));
    QToolTip::setPalette(palette);
}

} // namespace calvora::platform
