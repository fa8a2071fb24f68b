#include "HintStyle.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTextDocument>
#include <QPalette>
#include <QPointer>
#include <QToolTip>

namespace calvora::platform {

namespace {

// Shows every hint wrapped at the caption width.
class HintWrapper : public QObject
{
public:
    HintWrapper(int width, QObject *parent) : QObject(parent), m_width(width) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() != QEvent::ToolTip || !widget || widget->toolTip().isEmpty() ||
            Qt::mightBeRichText(widget->toolTip()))
            return QObject::eventFilter(watched, event);
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(),
                           HintStyle::wrapped(widget->toolTip(), QFontMetrics(QToolTip::font()), m_width), widget);
        return true;
    }

private:
    int m_width;
};

} // namespace

QString HintStyle::wrapped(const QString &text, const QFontMetrics &metrics, int width)
{
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

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
    static QPointer<HintWrapper> wrapper;
    if (!wrapper) {
        wrapper = new HintWrapper(settings.captionWidth, qApp);
        qApp->installEventFilter(wrapper);
    }
}

} // namespace calvora::platform
