#include "find/TFot.h"

#include "app/Forms.h"
#include "browse/Form1.h"
#include "find/EngineTable.h"
#include "find/FindStyle.h"
#include "platform/App.h"
#include "platform/ClickLabel.h"
#include "platform/Dialogs.h"
#include "platform/WebBrowser.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

using platform::PlaceTwips;
using platform::Twips;

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

    Label1 = new QLabel(QStringLiteral("Keyword:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 240, 705, 960, 285);

    txtKeyword = new QLineEdit(this);
    txtKeyword->setObjectName(QStringLiteral("txtKeyword"));
    PlaceTwips(txtKeyword, 1260, 675, 3540, 345);

    Label5 = new platform::ClickLabel(QStringLiteral("SEARCH!"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    findstyle::styleActionLabel(Label5);
    PlaceTwips(Label5, 3600, 1200, 1200, 375);

    setTabOrder(cboSE, txtKeyword);
    connect(Label5, &platform::ClickLabel::clicked, this, &TFot::Label5_Click);

    platform::CentreOnScreen(this);
}

void TFot::Label5_Click()
{
    if (cboSE->currentText() == EnginePrompt()) {
        platform::MsgBox(QStringLiteral("No search engine selected\n\n"
                                        "Please choose a search engine and try again"),
                         platform::vbExclamation, platform::MainCaption());
    }
    for (const EngineRow &row : EngineTable) {
        if (cboSE->currentText() != QLatin1String(row.name))
            continue;
        Forms::get<Form1>()->WebBrowser1->Navigate(EngineAddress(row, txtKeyword->text()));
        if (row.minimizeAfter)
            setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
    }
}
