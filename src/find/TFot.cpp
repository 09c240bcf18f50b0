#include "find/TFot.h"

#include "app/App.h"
#include "app/Forms.h"
#include "browse/Form1.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "engine/WebBrowser.h"
#include "find/EngineTable.h"
#include "find/FindStyle.h"
#include "widgets/ClickLabel.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

using compat::PlaceTwips;
using compat::Twips;

QString TFot::EnginePrompt()
{
    return QStringLiteral("Search Engine");
}

TFot::TFot()
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void TFot::setupControls()
{
    setWindowTitle(QStringLiteral("Find on the web"));
    setFixedSize(Twips(5040), Twips(1800));
    findstyle::styleWindow(this);

    cboSE = new QComboBox(this);
    cboSE->setObjectName(QStringLiteral("cboSE"));
    cboSE->setEditable(true);
    cboSE->setInsertPolicy(QComboBox::NoInsert);
    cboSE->addItems({QStringLiteral("Altavista"), QStringLiteral("AOL"),
                     QStringLiteral("Ask Jeeves"), QStringLiteral("DogPile"),
                     QStringLiteral("Google"), QStringLiteral("Yahoo")});
    cboSE->setCurrentIndex(-1);
    cboSE->setEditText(EnginePrompt());
    // The prompt in the box says what it is for; it needs no caption of its own.
    PlaceTwips(cboSE, 240, 210, 4560, 345);

    const findstyle::KeywordRow row = findstyle::addKeywordRow(this, cboSE);
    Label1 = row.caption;
    txtKeyword = row.keyword;
    Label5 = row.search;
    connect(Label5, &widgets::ClickLabel::clicked, this, &TFot::Label5_Click);

    compat::CentreOnScreen(this);
}

void TFot::Label5_Click()
{
    if (cboSE->currentText() == EnginePrompt()) {
        compat::MsgBox(QStringLiteral("No search engine selected\n\n"
                                      "Please choose a search engine and try again"),
                       compat::vbExclamation, app::MainCaption());
    }
    for (const EngineRow &row : EngineTable) {
        if (cboSE->currentText() != QLatin1String(row.name))
            continue;
        Forms::get<Form1>()->WebBrowser1->Navigate(EngineAddress(row, txtKeyword->text()));
        if (row.minimizeAfter)
            setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
    }
}
