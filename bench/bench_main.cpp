// desklink-bench [--short] [--runs N]: start-up, opening a device, writing
// settings, importing, a firmware update and peak memory of the program against
// their floors (see BenchRunner).
#include "BenchRunner.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    BenchRunner::Options options;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--short")) {
            options.shortRun = true;
            options.runs = 1;
        } else if (args[i] == QLatin1String("--runs") && i + 1 < args.size() && args[i + 1].toInt() > 0) {
            options.runs = args[++i].toInt();
        } else {
            std::fprintf(stderr, "usage: desklink-bench [--short] [--runs N]\n");
            return 2;
        }
    }
    return BenchRunner(options).run();
}
