#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for. The program has one configuration, its settings store; the
// command line only serves the desktop and scripts: --help, --version, --verbose, and one
// address or file to open (the desktop's launcher passes one).
struct CommandLine
{
    // -1 to start the program; otherwise the run ends here with this code, after `text`
    // went to standard output (code 0) or standard error.
    int exitCode = -1;
    QString text;
    // The address to open, a file given by a relative name made absolute; may be empty.
    QString address;
    // --verbose: the engine's and the pages' messages reach standard error.
    bool verbose = false;
    // --check-filters / --check-requests LIST...: the guard's filters answer lines from
    // standard input instead of the program starting (RunFilterCheck).
    enum class Check { None, Filters, Requests };
    Check check = Check::None;
    QStringList lists;
};

// arguments: the program's arguments without the program name; workingFolder: where
// relative file names are found.
CommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder);

// Parses argc/argv in the current folder and prints what there is to print; needs no
// display, so it runs before the application object exists.
CommandLine ReadCommandLine(int argc, char *argv[]);

// Runs the check the command line asks for on standard input and output; the exit code.
int RunFilterCheck(const CommandLine &command);

} // namespace app
