#include "find/FFw.h"

#include "app/App.h"
#include "app/Forms.h"
#include "browse/Form1.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "find/FindStyle.h"
#include "find/SiteSearchTable.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

using compat::PlaceTwips;
using compat::Twips;

QString FFw::SitePrompt()
{
    return QStringLiteral("Freeware Site");
}

FFw::FFw()
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void FFw::setupControls()
{
    setWindowTitle(QStringLiteral("Scoutwell Search Engine"));
    setFixedSize(Twips(5040), Twips(1800));
    findstyle::styleWindow(this);

    Label3 = new QLabel(QStringLiteral("Site:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    PlaceTwips(Label3, 240, 240, 960, 285);

    cboFS = new QComboBox(this);
    cboFS->setObjectName(QStringLiteral("cboFS"));
    cboFS->setEditable(true);
    // Enter in the box neither searches nor adds what was typed to the list.
    cboFS->setInsertPolicy(QComboBox::NoInsert);
    cboFS->addItems({QStringLiteral("CNet"), QLatin1String(CnetBrandName),
                     QStringLiteral("File Transit"), QStringLiteral("Freeware Arena"),
                     QStringLiteral("Freeware World Team"), QStringLiteral("Jumbo"),
                     QStringLiteral("PCAnswers"), QStringLiteral("Tucows"),
                     QStringLiteral("WinFiles")});
    cboFS->setCurrentIndex(-1);
    cboFS->setEditText(SitePrompt());
    PlaceTwips(cboFS, 1260, 210, 3540, 345);

    const findstyle::KeywordRow row = findstyle::addKeywordRow(this, cboFS);
    Label1 = row.caption;
    txtKeyword = row.keyword;
    Label5 = row.search;
    connect(Label5, &widgets::ClickLabel::clicked, this, &FFw::Label5_Click);

    compat::CentreOnScreen(this);
}

void FFw::Label5_Click()
{
    // Every row is tried; the names differ, so at most one matches.
    for (const SiteSearchRow &row : SiteSearchTable) {
        if (cboFS->currentText() != QLatin1String(row.name))
            continue;
        Forms::get<Form1>()->WebBrowser1->Navigate(SiteSearchAddress(row, txtKeyword->text()));
        // Minimized, not closed: the results come to the front, and the site and keyword
        // are still there for the next search.
        setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
    }
}
