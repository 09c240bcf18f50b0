#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The start-up window. It decides from "ShowSplash" and "PProg" whether the main window
// opens at once, after a short pause, or only after the login.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    frmSplash();

    void Form_Load();

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label2 = nullptr; // "Step 1. Checking authorisation"
    QLabel *Label3 = nullptr; // "Step 2. Checking file paths"
    QLabel *Label4 = nullptr; // "Step 3. Loading program settings"
    QTimer *Timer1 = nullptr; // the program-lock check, every 2000 ms
    // A chain that walks the two later steps and opens the main window. Nothing in the
    // start-up starts Timer2, so it stays idle; it is kept for a longer start-up display.
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    QTimer *Timer4 = nullptr;

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();

    // The login was passed: the program-lock check never runs again this run.
    void stopLockCheck();

private:
    void setupControls();
};
