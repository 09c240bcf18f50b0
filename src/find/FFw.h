#pragma once

#include "find/SearchWindow.h"

// "Scoutwell Search Engine": a keyword and a freeware download site make that site's own
// search address, opened in the browser window.
class FFw : public SearchWindow
{
    Q_OBJECT
public:
    FFw();

    void Form_Load() { }

    QComboBox *cboFS; // the site
    QLabel *Label3; // "Site:"

    // The site box's text before a site is chosen; it names no site.
    static QString SitePrompt();
};
