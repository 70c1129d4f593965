#include <QDir>
#include <QEventLoop>
#include <QStringList>

#include "link/portlist.h"
#include "link/portmap.h"
#include "tool/commands.h"

namespace zr5::tool {

// ports [--probe] [--port DEVICE]...: the serial ports present and the device each COM number of
// the settings stands for; --probe listens on each for two seconds and says which carry the
// instrument's frames. --port adds a device the system does not list (a pseudo-terminal).
int RunPorts(ToolContext& context, const QStringList& arguments) {
    QStringList args = arguments;
    const bool probe = TakeFlag(args, QStringLiteral("--probe"));
    QStringList extra;
    for (;;) {
        QString device, error;
        if (!TakeOption(args, QStringLiteral("--port"), device, error))
            return Fail(context, error);
        if (device.isEmpty())
            break;
        extra << device;
    }
    if (!args.isEmpty())
        return Fail(context, QStringLiteral("用法: zr5-tool ports [--probe] [--port DEVICE]..."));

    std::vector<SerialPortEntry> ports = ListSerialPorts();
    for (const QString& device : extra) {
        SerialPortEntry e;
        e.device = device;
        ports.push_back(e);
    }
    std::vector<PortProbeResult> results;
    if (probe && !ports.empty()) {
        QStringList devices;
        for (const SerialPortEntry& p : ports)
            devices << p.device;
        PortProbe prober;
        QEventLoop loop;
        QObject::connect(&prober, &PortProbe::finished, &loop, &QEventLoop::quit);
        prober.start(devices);
        if (prober.isRunning())
            loop.exec();
        results = prober.results();
    }

    QString text;
    if (ports.empty())
        text += QStringLiteral("没有找到串行口\n");
    for (std::size_t i = 0; i < ports.size(); ++i) {
        text += DescribeSerialPort(ports[i]);
        if (i < results.size())
            text += QStringLiteral("　［%1］").arg(results[i].verdict());
        text += u'\n';
    }
    const PortMap map = PortMap::load(context.dataDirectory);
    for (int n = 1; n <= 3; ++n)
        text += QStringLiteral("COM%1 = %2\n").arg(n).arg(QDir::toNativeSeparators(map.device(n)));
    return PrintResult(context, text);
}

} // namespace zr5::tool
