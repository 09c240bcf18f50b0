#include "app/CommandWiring.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "find/FFw.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"

#include <QAction>

void wireFindCommands(MDIForm1 *main)
{
    QObject::connect(main->TFFw, &QAction::triggered, main, [] { Forms::Show<FFw>(); });
    QObject::connect(main->TFotw, &QAction::triggered, main, [] { Forms::Show<TFot>(); });
    QObject::connect(main->mnuFKeywords, &QAction::triggered, main,
                     [] { Forms::Show<frmGoToKeyword>(); });
}
