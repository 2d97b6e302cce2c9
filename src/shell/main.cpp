// tev-intro: a self-running audiovisual show of 130 seconds.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/data_dir.h"
#include "platform/display.h"
#include "portable/standard_output.h"
#include "shell/app.h"
#include "shell/command_line.h"
#include "tev_version.h"

int main(int argc, char** argv) {
    const tev::CommandLine line =
        tev::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case tev::CommandLine::Action::Help:
            std::fputs(tev::kUsageLine, stdout);
            std::fputs(tev::kHelpText, stdout);
            return tev::endOfPrinting("tev-intro");
        case tev::CommandLine::Action::Version:
            std::printf("tev-intro %s\n", TEV_VERSION);
            return tev::endOfPrinting("tev-intro");
        case tev::CommandLine::Action::Error:
            std::fprintf(stderr, "tev-intro: %s\n%sTry 'tev-intro --help' for more.\n",
                         line.error.c_str(), tev::kUsageLine);
            return 2;
        case tev::CommandLine::Action::Run:
            break;
    }
    // Every display cycle reads its files from here. A --data folder that
    // went away or shut since the command line was read is still a bad one.
    std::string why;
    if (!tev::platform::enterDataDirectory(line.dataDir, &why)) {
        std::fprintf(stderr, "tev-intro: --data: %s\n%sTry 'tev-intro --help' for more.\n",
                     why.c_str(), tev::kUsageLine);
        return 2;
    }
    tev::platform::warnOfMissingData("tev-intro");
    tev::platform::chooseGlPipeline(line.gl);
    // Forked while the program has a single thread.
    if (line.modeSwitch) tev::platform::startModeGuardian();
    tev::platform::systemClock();  // the tick count starts with the program
    return tev::runProgram(line);
}
