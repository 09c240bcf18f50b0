#include "support/clsSideBar.h"

#include "app/App.h"
#include "compat/Twips.h"
#include "compat/WindowDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kBandWidth = 20;

// A filled box between two corner points. The second corner's row and column are not
// part of it, so the band from x 0 to x 20 is exactly 20 pixels wide.
void fillBox(QImage &image, int x1, int y1, int x2, int y2, const QColor &color)
{
    if (image.isNull() || x2 <= x1 || y2 <= y1)
        return;
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), color);
}

// The "bottom" of a band rectangle: the window's outer height in twips, read as pixels.
// It always lies below the client area, so the band reaches the bottom edge.
int bandBottom(const QWidget *w)
{
    return compat::ToTwips(w->frameGeometry().height());
}

} // namespace

void clsSideBar::setFillStyle(int value)
{
    m_fillStyle = value;
    Refresh();
}

void clsSideBar::setFontName(const QString &value)
{
    m_fontName = value;
    Refresh();
}

void clsSideBar::setText(const QString &value)
{
    m_text = value;
    Refresh();
}

void clsSideBar::setBackColor(const QColor &value)
{
    m_backColor = value;
    Refresh();
}

void clsSideBar::setForeColor(const QColor &value)
{
    m_foreColor = value;
    Refresh();
}

void clsSideBar::setFontSize(qint16 value)
{
    m_fontSize = value;
    Refresh();
}

void clsSideBar::setAlign(int value)
{
    m_align = value;
    Refresh();
}

void clsSideBar::Create(const QString &sBarText, int sBarFillStyle, int sBarAlign,
                        const QColor &sBarForeColor, const QColor &sBarBackColor,
                        const QString &sBarFontName, qint16 sBarFontSize)
{
    m_text = sBarText;
    m_fillStyle = sBarFillStyle;
    m_align = sBarAlign;
    m_foreColor = sBarForeColor;
    m_backColor = sBarBackColor;
    m_fontName = sBarFontName;
    m_fontSize = sBarFontSize;
    Refresh();
}

void clsSideBar::Destroy()
{
    if (!m_window)
        return;
    QImage &image = compat::AutoRedrawImage(m_window);
    const QColor windowBack = m_window->palette().color(m_window->backgroundRole());
    const int scaleWidth = m_window->width();
    const int bottom = bandBottom(m_window);
    fillBox(image, 0, 0, kBandWidth, bottom, windowBack);
    fillBox(image, scaleWidth - kBandWidth + 1, 0, scaleWidth, bottom, windowBack);
    m_window->update();
}

void clsSideBar::AutoResize()
{
    Refresh();
}

void clsSideBar::Refresh()
{
    if (!m_window)
        return;
    Destroy();
    if (m_fontName.isEmpty())
        m_fontName = QStringLiteral("Arial");
    if (m_fillStyle == 0)
        m_fillStyle = 1;
    if (m_align == 0)
        m_align = 1;
    if (m_fontSize == 0)
        m_fontSize = 14;

    QImage &image = compat::AutoRedrawImage(m_window);
    const int scaleWidth = m_window->width();
    const int scaleHeight = m_window->height();
    const int bottom = bandBottom(m_window);
    if (m_fillStyle == 1) {
        if (m_align == 1)
            fillBox(image, 0, 0, kBandWidth, bottom, m_backColor);
        else
            fillBox(image, scaleWidth - kBandWidth, 0, scaleWidth, bottom, m_backColor);
    } else if (m_fillStyle == 2) {
        PaintGradient(m_backColor);
    }

    if (!image.isNull() && !m_text.isEmpty()) {
        QFont font(m_fontName);
        font.setPixelSize(std::abs(int(m_fontSize)));
        font.setWeight(QFont::Bold);
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(m_foreColor);
        // The string starts at (x, y), the top of its first character cell, and runs
        // upwards, its characters to the right of x.
        const int x = m_align == 1 ? 2 : scaleWidth - kBandWidth + 2;
        const int y = scaleHeight - 8;
        p.translate(x, y);
        p.rotate(-90);
        p.drawText(QPointF(0, QFontMetrics(font).ascent()), m_text);
    }
    m_window->update();
}

void clsSideBar::RemoveTitleBar()
{
    if (m_window)
        compat::RemoveTitleBar(m_window);
}

void clsSideBar::PaintGradient(const QColor &color)
{
    QImage &image = compat::AutoRedrawImage(m_window);
    const int scaleWidth = m_window->width();
    const auto rows = qint16(m_window->height());
    if (rows < 1)
        return;
    const QColor darkBlue(0, 0, 128), darkGreen(0, 128, 0), darkRed(128, 0, 0);
    if (color != darkBlue && color != darkGreen && color != darkRed) {
        // Any other colour gives a plain band, as the solid style does.
        if (m_align == 1)
            fillBox(image, 0, 0, kBandWidth, bandBottom(m_window), color);
        else
            fillBox(image, scaleWidth - kBandWidth, 0, scaleWidth, bandBottom(m_window), color);
        return;
    }
    float intensity = 255.0f;
    const float step = -510.0f / float(rows);
    for (int i = 0; i <= rows; i += 2) {
        // Rounded half to even, and kept in range against the last step's float error.
        const int level = std::clamp(int(std::nearbyint(intensity)), 0, 255);
        const QColor strip = color == darkBlue ? QColor(0, 0, level)
            : color == darkGreen               ? QColor(0, level, 0)
                                               : QColor(level, 0, 0);
        if (m_align == 1)
            fillBox(image, -1, i - 1, kBandWidth, i + 2, strip);
        else
            fillBox(image, scaleWidth - kBandWidth + 1, i - 1, scaleWidth, i + 2, strip);
        intensity += step;
    }
}
