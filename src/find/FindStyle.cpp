#include "find/FindStyle.h"

#include "app/App.h"
#include "compat/Twips.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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

KeywordRow addKeywordRow(QWidget *window, QComboBox *list)
{
    KeywordRow row;
    row.caption = new QLabel(QStringLiteral("Keyword:"), window);
    row.caption->setObjectName(QStringLiteral("Label1"));
    compat::PlaceTwips(row.caption, 240, 705, 960, 285);

    row.keyword = new QLineEdit(window);
    row.keyword->setObjectName(QStringLiteral("txtKeyword"));
    compat::PlaceTwips(row.keyword, 1260, 675, 3540, 345);

    row.search = new widgets::ClickLabel(QStringLiteral("SEARCH!"), window);
    row.search->setObjectName(QStringLiteral("Label5"));
    styleActionLabel(row.search);
    compat::PlaceTwips(row.search, 3600, 1200, 1200, 375);

    QWidget::setTabOrder(list, row.keyword);
    // Names are matched exactly as typed: no silent completion from the list may turn a
    // half-typed "Tuc" into "Tucows".
    list->setCompleter(nullptr);
    return row;
}

} // namespace findstyle
