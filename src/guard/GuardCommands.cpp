#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "guard/frmGuard.h"

#include <QAction>
#include <QMenu>

// Tools > Guard, after Downloads, with a key of its own that no designed item uses.
void wireGuardCommands(MDIForm1 *main)
{
    QAction *guard = main->TTools->addAction(QStringLiteral("Guard"));
    guard->setObjectName(QStringLiteral("mnuTGuard"));
    guard->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QObject::connect(guard, &QAction::triggered, main, [] { Forms::Show<frmGuard>(); });
}
