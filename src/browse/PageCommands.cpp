#include "app/CommandWiring.h"

#include "app/MDIForm1.h"

void wirePageCommands(MDIForm1 *) { }
