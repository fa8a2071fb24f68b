#pragma once

#include <QIcon>
#include <QPixmap>

#include <vector>

namespace calvora::platform {

// A list of equally sized pictures addressed by index. Pictures come in
// pairs, a coloured one followed by its greyed form for a disabled control;
// icon() puts a pair together so a button shows the right one by itself.
class ImageList
{
public:
    explicit ImageList(int size = 16) : m_size(size) {}

    void add(const QPixmap &picture) { m_pictures.push_back(picture); }
    int count() const { return int(m_pictures.size()); }
    int size() const { return m_size; }
    QPixmap picture(int index) const { return m_pictures.at(std::size_t(index)); }
    // The picture at normal, for an enabled control, and the one at
    // disabled, for a disabled one.
    QIcon icon(int normal, int disabled) const;

    // The greyed form of a picture, as a disabled control shows it.
    static QPixmap greyed(const QPixmap &picture);

private:
    int m_size;
    std::vector<QPixmap> m_pictures;
};

} // namespace calvora::platform
