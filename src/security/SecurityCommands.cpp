#include "app/CommandWiring.h"

#include "app/MDIForm1.h"

void wireSecurityCommands(MDIForm1 *) { }
