#include "app/CommandWiring.h"

#include "app/MDIForm1.h"

void wireHistoryCommands(MDIForm1 *) { }
