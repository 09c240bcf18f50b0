#include "find/FindStyle.h"

#include <QLabel>
#include <QWidget>

namespace findstyle {

void styleWindow(QWidget *window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, QColor(0xf4, 0xf7, 0xfb));
    pal.setColor(QPalette::WindowText, QColor(0x1d, 0x35, 0x57));
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

void styleActionLabel(QLabel *label)
{
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral(
        "QLabel { background: #1d3557; color: white; font-weight: bold; border-radius: 3px; }"
        "QLabel:hover { background: #2e5a8a; }"));
}

} // namespace findstyle
