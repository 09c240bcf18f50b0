#include "find/frmKeywords.h"

#include "app/App.h"
#include "compat/Twips.h"
#include "find/FindStyle.h"
#include "find/KeywordTable.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

using compat::PlaceTwips;
using compat::Twips;

namespace {

struct KeywordDescription
{
    const char *keyword;
    const char *description;
};

constexpr KeywordDescription Descriptions[] = {
    {"bbc", "The BBC home page: news, sport, weather, radio and television."},
    {"dd", "Parasite pages: what parasite software is, and a free online scan for it."},
    {"drivers", "DriverGuide, drivers for almost every piece of hardware."},
    {"fa", "Freeware Arena, reviews and downloads of freeware."},
    {"fh", "Freeware Home, freeware sorted into categories."},
    {"hosting", "Inspiratech, web hosting for a site of your own."},
    {"keywords", "Shows this list of keywords."},
    {"news", "BBC News, the latest headlines from around the world."},
    {"pc support", "Computer Hope, free help with computer problems."},
    {"plume", "Plume's official personal web site."},
    {"ql", "Quantum Illusions, a freeware site."},
    {"qv", "Our fan site about a favourite pop singer."},
    {"senior", "Seniority, resources and a forum for people over 50."},
    {"submit", "Submit your web site to search engines, free, at Kestrelmoor Works."},
    {"support", "The Scoutwell support forums at Kestrelmoor Works."},
    {"tcpa", "The campaign against TCPA and what it would mean for your computer."},
    {"tech news", "The Register, technology news and views."},
    {"translate", "FreeTranslation, free translation of text and web pages."},
    {"update", "News of Scoutwell updates, in the support forums."},
    {"wg", "WebGrid, a freeware site."},
    {"zp2", "ZeroPlus2, a freeware site."},
};

const char HelpText[]
    = "Keywords are short words that take you straight to a web site. Type a keyword in the "
      "address bar and press Enter, and Scoutwell opens its site for you: \"bbc\" for the BBC, "
      "\"drivers\" for drivers. You can also choose Favourites > Go to keyword ... and type it "
      "there.\n"
      "\n"
      "What keywords can I use?\n"
      "Every keyword Scoutwell knows is in the list beside this text. Type it exactly as it is "
      "listed, in small letters and without extra spaces; anything else in the address bar is "
      "opened as an address.\n"
      "\n"
      "How do I get a keyword for my own site?\n"
      "Tell us about your site in the support forums (type \"support\" in the address bar). We "
      "choose keywords for sites that help people find freeware and get more from their "
      "computers, and new keywords come with new versions of Scoutwell.\n"
      "\n"
      "Why include the keyword feature?\n"
      "Because typing one short word is quicker than remembering an address. Keywords take you "
      "to the sites you need most in a moment, and finding things fast is what Scoutwell is "
      "for.";

} // namespace

QString frmKeywords::Description(const QString &keyword)
{
    for (const KeywordDescription &d : Descriptions) {
        if (keyword == QLatin1String(d.keyword))
            return QLatin1String(d.description);
    }
    return QString();
}

frmKeywords::frmKeywords()
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void frmKeywords::setupControls()
{
    setWindowTitle(QStringLiteral("Scoutwell Keywords"));
    setFixedSize(Twips(9360), Twips(6000));
    findstyle::styleWindow(this);

    auto *listCaption = new QLabel(QStringLiteral("Keywords"), this);
    auto *helpCaption = new QLabel(QStringLiteral("About keywords"), this);
    for (QLabel *l : {listCaption, helpCaption}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    PlaceTwips(listCaption, 120, 90, 4920, 285);
    PlaceTwips(helpCaption, 5160, 90, 4080, 285);

    txtKWList = new QTextEdit(this);
    txtKWList->setObjectName(QStringLiteral("txtKWList"));
    txtKWList->setReadOnly(true);
    PlaceTwips(txtKWList, 120, 420, 4920, 5460);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setPlainText(QString::fromUtf8(HelpText));
    PlaceTwips(Text1, 5160, 420, 4080, 5460);

    fillKeywordList();

    compat::CentreOnScreen(this);
}

void frmKeywords::fillKeywordList()
{
    // Built from the keyword table itself, so the list can never miss a keyword the program
    // knows. The hidden word stays hidden.
    QStringList keywords;
    for (const KeywordRow &row : KeywordTable) {
        if (row.target != KeywordTarget::EasterEgg)
            keywords.append(KeywordText(row));
    }
    std::sort(keywords.begin(), keywords.end());

    QFont verdana(QStringLiteral("Verdana"), 9);
    txtKWList->document()->setDefaultFont(verdana);
    QTextCharFormat regular;
    regular.setFontFamilies({QStringLiteral("Verdana")});
    regular.setFontWeight(QFont::Normal);
    QTextCharFormat bold = regular;
    bold.setFontWeight(QFont::Bold);

    QTextCursor cursor(txtKWList->document());
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        if (i > 0) {
            cursor.insertBlock(); // the empty paragraph between entries
            cursor.insertBlock();
        }
        cursor.insertText(keywords[i], bold);
        cursor.insertText(QStringLiteral(" - ") + Description(keywords[i]), regular);
    }
    txtKWList->moveCursor(QTextCursor::Start);
}
