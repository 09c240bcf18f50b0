#include "app/CommandLine.h"

#include "app/App.h"
#include "guard/FilterEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <iostream>

namespace app {

namespace {

QString usage()
{
    return QStringLiteral(
        "Usage: scoutwell [ADDRESS | FILE]\n"
        "A web browser for finding freeware fast.\n"
        "\n"
        "  ADDRESS, FILE  open the web address or local file in the browser window; when\n"
        "                 Scoutwell already runs, it opens there and this start ends\n"
        "  --check-filters\n"
        "                 read lines FILTER<TAB>ADDRESS<TAB>PAGE<TAB>TYPE from standard input\n"
        "                 and answer each with block, allow, pass or unsupported<TAB>REASON\n"
        "  --check-requests LIST...\n"
        "                 load the filter list files and answer lines ADDRESS<TAB>PAGE<TAB>TYPE\n"
        "                 with block<TAB>FILTER, allow<TAB>FILTER or pass\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "  --verbose      let the browser engine and the pages' scripts report on\n"
        "                 standard error\n"
        "\n"
        "Settings are kept in $XDG_CONFIG_HOME/ScoutwellV3.ini and changed in the program.\n");
}

// A run that ends at once with this code and text.
CommandLine ending(int code, const QString &text)
{
    CommandLine c;
    c.exitCode = code;
    c.text = text;
    return c;
}

CommandLine mistake(const QString &what)
{
    return ending(2,
                  QStringLiteral("scoutwell: ") + what
                      + QStringLiteral("\nTry 'scoutwell --help' for more information.\n"));
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    QStringList addresses;
    bool options = true;
    bool verbose = false;
    for (const QString &arg : arguments) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("-h") || arg == QLatin1String("--help"))) {
            return ending(0, usage());
        } else if (options && (arg == QLatin1String("-v") || arg == QLatin1String("--version"))) {
            return ending(0,
                          QStringLiteral("Scoutwell ") + VersionText(AppMajor(), AppMinor())
                              + QLatin1Char('\n'));
        } else if (options && arg == QLatin1String("--verbose")) {
            verbose = true;
        } else if (options && arg == QLatin1String("--check-filters") && arguments.size() == 1) {
            CommandLine check;
            check.check = CommandLine::Check::Filters;
            return check;
        } else if (options && arg == QLatin1String("--check-requests")) {
            CommandLine check;
            check.check = CommandLine::Check::Requests;
            check.lists = arguments.mid(arguments.indexOf(arg) + 1);
            if (check.lists.isEmpty())
                return mistake(QStringLiteral("--check-requests needs one or more list files"));
            return check;
        } else if (options && arg.startsWith(QLatin1Char('-'))) {
            return mistake(QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            addresses.append(arg);
        }
    }
    if (addresses.size() > 1)
        return mistake(QStringLiteral("one address at most, not %1").arg(addresses.size()));
    CommandLine run;
    run.verbose = verbose;
    if (addresses.isEmpty())
        return run;
    run.address = addresses.first();
    // A file named from a shell is relative to the shell's folder, which the running
    // program does not share; an address with a scheme ("http:", "file:") stays as given.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    const QFileInfo file(QDir(workingFolder), run.address);
    if (!scheme.match(run.address).hasMatch() && file.exists())
        run.address = file.absoluteFilePath();
    return run;
}

CommandLine ReadCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = ParseCommandLine(arguments, QDir::currentPath());
    if (!command.text.isEmpty())
        std::fputs(command.text.toLocal8Bit().constData(), command.exitCode == 0 ? stdout : stderr);
    return command;
}

int RunFilterCheck(const CommandLine &command)
{
    if (command.check == CommandLine::Check::Filters)
        return guard::checkFilters(std::cin, std::cout);
    std::vector<std::string> files;
    for (const QString &list : command.lists)
        files.push_back(QFile::encodeName(list).toStdString());
    return guard::checkRequests(files, std::cin, std::cout, std::cerr);
}

} // namespace app
