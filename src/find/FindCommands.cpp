#include "app/CommandWiring.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/basNav.h"
#include "find/FFw.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"

#include <QAction>
#include <QToolButton>

void wireFindCommands(MDIForm1 *main)
{
    QObject::connect(main->TFFw, &QAction::triggered, main, [] { Forms::Show<FFw>(); });
    QObject::connect(main->TFotw, &QAction::triggered, main, [] { Forms::Show<TFot>(); });
    QObject::connect(main->mnuFKeywords, &QAction::triggered, main,
                     [] { Forms::Show<frmGoToKeyword>(); });

    // The toolbar buttons and the hidden Navigation menu's shortcuts run the same commands.
    const struct
    {
        QToolButton *button;
        QAction *action;
        void (*command)();
    } navigation[] = {
        {main->btnBack, main->mnuBack, basNav::NavBack},
        {main->btnForward, main->mnuForward, basNav::NavForward},
        {main->btnStop, main->mnuStop, basNav::NavStop},
        {main->btnRefresh, main->mnuRefresh, basNav::NavRefresh},
        {main->btnHome, main->mnuHome, basNav::NavHome},
        {main->btnSearch, main->mnuSearch, basNav::NavSearch},
    };
    for (const auto &n : navigation) {
        QObject::connect(n.button, &QToolButton::clicked, main, n.command);
        QObject::connect(n.action, &QAction::triggered, main, n.command);
    }

    // GO! beside the address box does what Enter in the box does.
    QObject::connect(main->btnGo, &QToolButton::clicked, main, [main] {
        int keyAscii = 13;
        main->Combo1_KeyPress(keyAscii);
    });
}
