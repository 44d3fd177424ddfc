#pragma once

#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace pv
{

// A picture box for our SVG pictures: drawn as vectors at paint time, so the
// picture stays sharp at any scale, and kept in proportion inside the box.
class SvgPicture : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString source READ source WRITE setSource)

public:
    explicit SvgPicture(QWidget *parent = nullptr);

    QString source() const { return m_source; }
    void setSource(const QString &source);
    // True when the picture was found and could be read.
    bool isValid() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_source;
    QSvgRenderer *m_renderer;
};

} // namespace pv
