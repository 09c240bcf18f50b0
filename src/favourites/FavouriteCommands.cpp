#include "app/CommandWiring.h"

#include "app/MDIForm1.h"

void wireFavouriteCommands(MDIForm1 *) { }
