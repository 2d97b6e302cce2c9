// What the page does where the desktop shows a message box or catches a
// termination signal: the box's text goes to the browser's console (the
// page's script says what matters on the page itself), and a page has no
// signals: its unloading simply ends it. Its data folder is the in-memory
// file system's root.

#include <sys/stat.h>

#include <cstdio>

#include "platform/data_dir.h"
#include "platform/message_box.h"
#include "platform/termination_signals.h"

namespace tev::platform {

void messageBox(const std::string& text, const std::string& caption, BoxIcon icon) {
    std::fprintf(stderr, "%s: %s: %s\n", icon == BoxIcon::Error ? "error" : "warning",
                 caption.c_str(), text.c_str());
}

bool displayAvailable() {
    return true;
}

std::string displayProblem() {
    return {};
}

// The page's data are in its in-memory file system, at /; a folder given
// otherwise is checked as on the desktop.
std::string dataFolderProblem(const std::string& dir) {
    if (dir.empty()) return "an empty folder name";
    struct stat status;
    if (stat(dir.c_str(), &status) != 0) return "no such folder";
    if (!S_ISDIR(status.st_mode)) return "not a folder";
    return {};
}

void catchTerminationSignals() {}

int caughtTerminationSignal() {
    return 0;
}

bool terminationPending() {
    return false;
}

bool takeTermination() {
    return false;
}

}  // namespace tev::platform
