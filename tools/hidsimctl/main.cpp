// hidsimctl: the person at the desk, for the virtual devices of the simulator
// folder. A program running on the same folder notices every change.
#include "HidSimControl.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

using hidsim::HidSimControl;

namespace {

const char kUsage[] =
    "usage: hidsimctl [--dir FOLDER] COMMAND [ARGUMENTS]\n"
    "\n"
    "The virtual devices live in FOLDER, else $HIDSIM_DIR, else ~/.hidsim.\n"
    "\n"
    "  list                          show every device, its connection, state and\n"
    "                                receiver settings (light mode, long range)\n"
    "  plug ID                       plug a receiver in, or a mouse's cable\n"
    "  unplug ID                     unplug a receiver, or a mouse's cable\n"
    "  power MOUSE on|off            switch a mouse on or off\n"
    "  battery MOUSE LEVEL [charging]  set the battery level 0..100\n"
    "  press MOUSE dpi|rate|light    press the mouse's DPI, report-rate or light button\n"
    "  pair MOUSE [RECEIVER]         put the mouse into pairing mode, or pair it\n"
    "                                with RECEIVER at once\n"
    "  profile MOUSE [N]             show the mouse's current profile (0..3), or\n"
    "                                switch it to profile N\n"
    "  dump MOUSE [OFFSET [LENGTH]]  the mouse's configuration image in hex; with\n"
    "                                OFFSET only LENGTH bytes (default 1) from there\n"
    "  fail-update PERCENT|off       the next firmware update fails at PERCENT\n"
    "  bootloader ID on|off          put a mouse or receiver into its boot loader,\n"
    "                                or back to normal mode\n";

int usage(const QString& problem = QString())
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "hidsimctl: %s\n\n", qPrintable(problem));
    std::fputs(kUsage, problem.isEmpty() ? stdout : stderr);
    return problem.isEmpty() ? 0 : 1;
}

int result(bool ok, const QString& error)
{
    if (ok)
        return 0;
    std::fprintf(stderr, "hidsimctl: %s\n", qPrintable(error));
    return 2;
}

bool number(const QString& text, int* value)
{
    bool ok = false;
    *value = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16) : text.toInt(&ok, 10);
    return ok;
}

int dump(const QStringList& args)
{
    const QByteArray image = HidSimControl::configImage(args[0]);
    if (image.isEmpty())
        return result(false, "no mouse \"" + args[0] + "\"");
    QTextStream out(stdout);
    if (args.size() == 1) {
        for (int at = 0; at < image.size(); at += 16)
            out << QString("%1:").arg(at, 5, 10, QChar('0')) << ' ' << image.mid(at, 16).toHex(' ') << '\n';
        return 0;
    }
    int offset = 0;
    int length = 1;
    if (!number(args[1], &offset) || (args.size() > 2 && !number(args[2], &length)) || args.size() > 3)
        return usage("dump takes a mouse, an offset and a length");
    if (offset < 0 || length < 1 || offset + length > image.size())
        return result(false, QString("the image has %1 bytes").arg(image.size()));
    out << image.mid(offset, length).toHex(' ') << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() >= 2 && args[0] == "--dir") {
        qputenv("HIDSIM_DIR", args[1].toLocal8Bit());
        args = args.mid(2);
    }
    if (args.isEmpty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h")
        return usage();

    QCoreApplication app(argc, argv);
    const QString command = args.takeFirst();
    QString error;

    // A scenario file that does not read would be shown as devices it does not
    // describe, or overwritten by the next change: say so and touch nothing.
    const QString scenarioError = HidSimControl::scenarioError();
    if (!scenarioError.isEmpty())
        return result(false, scenarioError);

    if (command == "list" && args.isEmpty()) {
        std::fputs(qPrintable(HidSimControl::describe()), stdout);
        return 0;
    }
    if ((command == "plug" || command == "unplug") && args.size() == 1)
        return result(command == "plug" ? HidSimControl::plug(args[0], &error)
                                        : HidSimControl::unplug(args[0], &error),
                      error);
    if (command == "power" && args.size() == 2 && (args[1] == "on" || args[1] == "off"))
        return result(HidSimControl::setPowered(args[0], args[1] == "on", &error), error);
    if (command == "battery" && (args.size() == 2 || (args.size() == 3 && args[2] == "charging"))) {
        int level = 0;
        if (!number(args[1], &level))
            return usage("the battery level is a number 0..100");
        return result(HidSimControl::setBattery(args[0], level, args.size() == 3, &error), error);
    }
    if (command == "press" && args.size() == 2) {
        using Press = bool (*)(const QString&, QString*);
        const struct { const char* name; Press press; } buttons[] = {
            {"dpi", HidSimControl::pressDpiButton},
            {"rate", HidSimControl::pressRateButton},
            {"light", HidSimControl::pressLightButton},
        };
        for (const auto& b : buttons) {
            if (args[1] == QLatin1String(b.name))
                return result(b.press(args[0], &error), error);
        }
    }
    if (command == "pair" && (args.size() == 1 || args.size() == 2))
        return result(HidSimControl::pair(args[0], args.value(1), &error), error);
    if (command == "profile" && (args.size() == 1 || args.size() == 2)) {
        if (args.size() == 2) {
            int profile = 0;
            if (!number(args[1], &profile))
                return usage("the profile is a number 0..3");
            return result(HidSimControl::switchProfile(args[0], profile, &error), error);
        }
        const int profile = HidSimControl::currentProfile(args[0]);
        if (profile < 0)
            return result(false, "no mouse \"" + args[0] + "\"");
        std::printf("%d\n", profile);
        return 0;
    }
    if (command == "dump" && !args.isEmpty())
        return dump(args);
    if (command == "fail-update" && args.size() == 1) {
        int percent = -1;
        if (args[0] != "off" && (!number(args[0], &percent) || percent < 0 || percent > 100))
            return usage("fail-update takes a percent 0..100 or off");
        HidSimControl::failNextFirmwareTransfer(percent);
        return 0;
    }
    if (command == "bootloader" && args.size() == 2 && (args[1] == "on" || args[1] == "off"))
        return result(HidSimControl::setBootLoader(args[0], args[1] == "on", &error), error);
    return usage("unknown command or wrong arguments: " + (QStringList(command) + args).join(' '));
}
