#pragma once

#include <QLabel>
#include <QUrl>

namespace calvora::platform {

// A picture that reports clicks.
class ImageLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ImageLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// An underlined link text that opens its address in the user's web browser
// when clicked, and takes the hot-light colour while the mouse is over it.
class URLLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url WRITE setUrl)

public:
    explicit URLLabel(QWidget *parent = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }

public slots:
    // The same as a click with the mouse: opens the address.
    void click();

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setHot(bool hot);
    QUrl m_url;
};

} // namespace calvora::platform
