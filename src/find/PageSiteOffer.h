#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class Form1;
class QWebEnginePage;

namespace widgets {
class ClickLabel;
}

namespace usersites {

// The browser window's offer of a site's own search: when the page shown declares an
// OpenSearch description, the status bar says "Add <name> as a search site"; a click fetches
// the description and lets the user add its search to one of the two lists.
class PageSiteOffer : public QObject
{
    Q_OBJECT
public:
    // The one call the browser window makes; with the engine's browser control only.
    static void Attach(Form1 *window);

private:
    PageSiteOffer(Form1 *window, QWebEnginePage *page);
    void look();
    void showOffer();
    void panel_Click();
    void poll();
    void fetched(const QVariantMap &result);
    void stop();

    QPointer<Form1> m_window;
    QPointer<QWebEnginePage> m_page;
    widgets::ClickLabel *m_panel;
    QUrl m_description; // the description the page shown declares
    QString m_title; // the name the page gives it
    QString m_token; // the fetch under way, "" for none
    QTimer m_poll;
    int m_polls = 0;
};

} // namespace usersites
