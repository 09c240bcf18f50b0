#pragma once

#include <QMainWindow>
#include <QUrl>

class QTextBrowser;
class QTreeWidget;

// "Scoutwell Help": the manual's contents on the left, the chosen page on the right.
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    HelpWindow();

    struct Page
    {
        const char *file;
        const char *title;
    };
    // The manual's pages, in reading order; the first is the contents page.
    static const QList<Page> &pages();
    static QUrl pageUrl(const QString &file);

    // Shows a page of the manual by its file name ("keywords.html"), or an address inside
    // the manual.
    void open(const QUrl &url);
    QUrl currentPage() const;

    QTextBrowser *browser() const { return m_browser; }
    QTreeWidget *contents() const { return m_contents; }

private:
    void followContents();
    void markContents(const QUrl &url);

    QTextBrowser *m_browser;
    QTreeWidget *m_contents;
};
