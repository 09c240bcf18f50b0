#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "guard/frmGuard.h"

#include <QAction>

// Tools > Guard, after Downloads, with a key of its own that no designed item uses.
void wireGuardCommands(MDIForm1 *main)
{
    QObject::connect(main->mnuTGuard, &QAction::triggered, main, [] { Forms::Show<frmGuard>(); });
}
