#pragma once

#include <QLabel>

namespace widgets {

// A label or picture that works as a button: a left click released over it raises
// clicked(), and the pointer turns into a hand over it so a person sees it can be pressed.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text = QString(), QWidget *parent = nullptr);
    explicit ClickLabel(QWidget *parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace widgets
