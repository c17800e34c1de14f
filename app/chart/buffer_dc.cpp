#include "chart/buffer_dc.h"

#include <QPaintDevice>

namespace {

bool IsPrinter(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    return device != nullptr && device->devType() == QInternal::Printer;
}

}  // namespace

CBufferDC::CBufferDC(QPainter& target, const QRect& rect, QImage& bitmap)
    : m_bitmap(bitmap), m_pDC(&target), m_rect(rect), m_bMemDC(!IsPrinter(target)) {
    const QColor background = target.background().color();
    if (!m_bMemDC) {
        m_pDC->fillRect(m_rect, background);
        return;
    }
    const qreal ratio = target.device() != nullptr ? target.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(m_rect.size()) * ratio).toSize();
    if (m_bitmap.size() != pixels || m_bitmap.format() != QImage::Format_RGB32) {
        m_bitmap = QImage(pixels, QImage::Format_RGB32);
    }
    m_bitmap.setDevicePixelRatio(ratio);
    m_memDC.emplace(&m_bitmap);
    m_memDC->translate(-m_rect.topLeft());
    m_memDC->fillRect(m_rect, background);
}

CBufferDC::~CBufferDC() {
    if (!m_bMemDC) return;
    m_memDC->end();
    m_pDC->drawImage(m_rect.topLeft(), m_bitmap);
}
