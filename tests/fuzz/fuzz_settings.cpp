// The settings file and the port map as any file may hold them; what is read is written back.

#include "fuzz/fuzzsupport.h"
#include "link/portmap.h"
#include "settings/settings.h"

using namespace zr5;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SettingsFileContents read =
        ReadSettingsFile(fuzz::WriteInput(QStringLiteral("Mtrc.dat"), data, size));
    SettingsFileBytes(read.settings);
    SplitDuration(read.settings.ReceiveDuration);

    const DataDirectory dir{fuzz::ScratchFolder()};
    fuzz::WriteInput(QStringLiteral("Ports.ini"), data, size);
    const PortMap map = PortMap::load(dir).value;
    for (int port = 0; port <= 4; ++port)
        map.describe(port);
    return 0;
}
