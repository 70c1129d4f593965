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
QList<QCommandLineOption> PortsOptions() {
    return {Option("probe", "在每个串行口上接收两秒，说明哪个送来仪表的数据"),
            Option("port", "另外列出（并检测）这个设备，如模拟仪表的伪终端；可给多次", "DEVICE")};
}

int RunPorts(ToolContext& context, const CommandLine& line) {
    if (!line.positional().isEmpty())
        return UsageFail(context);
    const bool probe = line.isSet(QStringLiteral("probe"));
    const QStringList extra = line.values(QStringLiteral("port"));

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
    const PortMap map = PortMap::load(context.dataDirectory).value;
    for (int n = 1; n <= 3; ++n)
        text += QStringLiteral("COM%1 = %2\n").arg(n).arg(QDir::toNativeSeparators(map.device(n)));
    return PrintResult(context, text);
}

} // namespace zr5::tool
