#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

// A vertical caption band, 20 pixels wide, down the left or right edge of a window's
// client area: solid or shaded, with one line of bold text reading from bottom to top.
// It draws into the window's persistent image, so it needs no repainting of its own; a
// window that changes size calls AutoResize.
//
// The object draws on the window it is given, not on whichever window happens to be
// active; with no window (or after the window is gone) every drawing call does nothing.
class clsSideBar
{
public:
    explicit clsSideBar(QWidget *window = nullptr) : m_window(window) { }

    QWidget *Window() const { return m_window; }
    void setWindow(QWidget *window) { m_window = window; }

    // 1 solid band, 2 shaded band, anything else no band. 0 is drawn as 1.
    int FillStyle() const { return m_fillStyle; }
    void setFillStyle(int value);
    // Face of the caption font; empty is drawn as "Arial".
    QString FontName() const { return m_fontName; }
    void setFontName(const QString &value);
    QString Text() const { return m_text; }
    void setText(const QString &value);
    // The band's colour; for the shaded band dark blue, dark green or dark red choose
    // the shading, any other colour gives a plain band.
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &value);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor &value);
    // Character height of the caption in pixels; 0 is drawn as 14.
    qint16 FontSize() const { return m_fontSize; }
    void setFontSize(qint16 value);
    // 1 the left edge, anything else the right edge. 0 is drawn as 1.
    int Align() const { return m_align; }
    void setAlign(int value);

    void Create(const QString &sBarText, int sBarFillStyle, int sBarAlign,
                const QColor &sBarForeColor, const QColor &sBarBackColor,
                const QString &sBarFontName, qint16 sBarFontSize);
    // Erases both band areas with the window's own background colour.
    void Destroy();
    void AutoResize();
    // Draws the bar afresh. The defaults it draws with are written back to the
    // properties.
    void Refresh();
    void RemoveTitleBar();

private:
    void PaintGradient(const QColor &color);

    QPointer<QWidget> m_window;
    int m_fillStyle = 0;
    QString m_fontName;
    QString m_text;
    QColor m_foreColor = QColor(0, 0, 0);
    QColor m_backColor = QColor(0, 0, 0);
    qint16 m_fontSize = 0;
    int m_align = 0;
};
