#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/Cli.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("ostrivane-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(OSTRIVANE_VERSION));
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  if (arguments == QStringList{QStringLiteral("--version")}) {
    out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
        << Qt::endl;
    return 0;
  }
  return ostrivane::cli::RunCli(arguments, out, err);
}
