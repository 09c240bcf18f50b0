#pragma once

#include <QWidget>

class PermissionBar;
class QLabel;
class QMdiSubWindow;
class QStatusBar;

namespace engine {
class WebBrowserControl;
}

// The browser window: the one child of the main window that shows pages. It shows the
// browser control's status text in its own status bar and the page's name as its caption
// (which the main window's title follows), and tells the main window, by signal, what its
// address box, progress bar and Back and Forward buttons are to show.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1();

    void Form_Load();
    void Form_Unload();
    // Shows the window inside the main window, maximized, as the only browser there is.
    void showForm();
    void setWindowState(Qt::WindowStates state);

    engine::WebBrowserControl *WebBrowser1;
    QStatusBar *StatusBar1;
    QLabel *StatusBarPanel1; // panel 1 of the status bar: the status text
    QLabel *StatusBarPanel2; // panel 2: the page's connection

    // Height reserved for the status bar, in twips.
    static constexpr int kStatusBarTwips = 250;

    void Form_Resize();
    void WebBrowser1_StatusTextChange(const QString &text);
    void WebBrowser1_ProgressChange(int progress, int progressMax);
    void WebBrowser1_CommandStateChange(int command, bool enable);
    void WebBrowser1_DownloadComplete();
    void WebBrowser1_ConnectionChange(int state, const QString &detail);

    // The progress bar value for one ProgressChange, or -1 when the bar is to stay as it
    // is (a divisor of zero, or one too large for the 16-bit arithmetic the bar uses).
    static int ProgressValue(int progress, int progressMax);

Q_SIGNALS:
    // The address box is to show this text (the start page, before it has loaded).
    void addressShown(const QString &address);
    // A page has loaded: its address goes into the address box and joins its list.
    void addressVisited(const QString &url);
    // Page-load progress: while loading, the bar shows value (0 to 100) if the progress bar
    // option is on; otherwise the bar goes away, its value set to value unless that is -1.
    void progressChanged(int value, bool loading);
    // The browser's commands changed state: Back and Forward are to follow.
    void commandStateChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QMdiSubWindow *m_subWindow = nullptr;
    PermissionBar *m_permissionBar; // above the page while a page's request waits
};
