// Off-screen drawing surface: a frame is collected in an image and copied to the target in
// one step when the surface goes away, so a scrolling chart never flickers. On a printer
// there is nothing to flicker, and drawing goes straight through.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <optional>

class CBufferDC {
  public:
    // The bitmap is kept by the caller between frames so that a frame of the same size
    // allocates nothing; after the copy it holds the frame just drawn.
    CBufferDC(QPainter& target, const QRect& rect, QImage& bitmap);
    ~CBufferDC();
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

    // Where to draw, in the target's coordinates.
    QPainter& Painter() { return m_bMemDC ? *m_memDC : *m_pDC; }
    bool IsMemDC() const { return m_bMemDC; }

  private:
    QImage& m_bitmap;
    QPainter* m_pDC;
    QRect m_rect;
    bool m_bMemDC;
    std::optional<QPainter> m_memDC;
};
