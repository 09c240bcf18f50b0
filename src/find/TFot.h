#pragma once

#include "find/SearchWindow.h"

// "Find on the web": a keyword and a general search engine make that engine's results
// address, opened in the browser window.
class TFot : public SearchWindow
{
    Q_OBJECT
public:
    TFot();

    void Form_Load() { }

    QComboBox *cboSE; // the engine

    // The engine box's text before an engine is chosen.
    static QString EnginePrompt();
};
