#include "LinkLabels.h"

#include "ErrorHandler.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace calvora::platform {

ImageLabel::ImageLabel(QWidget *parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void ImageLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

URLLabel::URLLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setHot(false);
}

void URLLabel::setHot(bool hot)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, hot ? QColor(0x00, 0x66, 0xCC) : palette().color(QPalette::Highlight));
    setPalette(colours);
}

void URLLabel::click()
{
    emit clicked();
    if (m_url.isValid() && !QDesktopServices::openUrl(m_url))
        showError(QStringLiteral("Could not open %1 in a web browser.").arg(m_url.toString()));
}

void URLLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    setHot(true);
}

void URLLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    setHot(false);
}

void URLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

} // namespace calvora::platform
