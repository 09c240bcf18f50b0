#pragma once

#include <QFrame>
#include <QPixmap>

// The toolbar strip above the browser window. Its first band can carry a background
// picture, tiled across the band as skins are drawn.
class CoolBar : public QFrame
{
    Q_OBJECT
public:
    explicit CoolBar(QWidget *parent = nullptr);

    // Band 1's background; a null pixmap removes it.
    void setBandPicture(const QPixmap &picture);
    QPixmap bandPicture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
