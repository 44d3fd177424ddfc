#include "app/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace pv
{

SvgPicture::SvgPicture(QWidget *parent) : QWidget(parent), m_renderer(new QSvgRenderer(this))
{
    m_renderer->setAspectRatioMode(Qt::KeepAspectRatio);
}

void SvgPicture::setSource(const QString &source)
{
    m_source = source;
    m_renderer->load(source);
    update();
}

bool SvgPicture::isValid() const
{
    return m_renderer->isValid();
}

QSize SvgPicture::sizeHint() const
{
    return m_renderer->isValid() ? m_renderer->defaultSize() : QSize(32, 32);
}

void SvgPicture::paintEvent(QPaintEvent *)
{
    if (!m_renderer->isValid())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    m_renderer->render(&p, QRectF(rect()));
}

} // namespace pv
