#include "app/CommandWiring.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "history/history.h"

#include <QAction>

// Tools > Cache Killer. A window that is open already only comes to the front: its list
// is not walked again.
void wireHistoryCommands(MDIForm1 *main)
{
    QObject::connect(main->TFCache, &QAction::triggered, main, [] { Forms::Show<history>(); });
}
