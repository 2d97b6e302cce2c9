// tev-intro: a self-running audiovisual show of 130 seconds.

#include "platform/clock.h"
#include "platform/data_dir.h"
#include "shell/app.h"

int main() {
    tev::platform::systemClock();  // the tick count starts with the program
    tev::platform::enterDataDirectory();
    return tev::runProgram();
}
