#include "platform/mode_guardian.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace tev::platform {
namespace {

// One byte a request, answered with the same byte once done.
constexpr char kNote = 'N';
constexpr char kForget = 'F';
constexpr char kRestore = 'R';
constexpr int kAnswerMilliseconds = 2000;

// The program's end of the socket; -1 without a guardian.
std::atomic<int> guardianSocket{-1};

// ---- The guardian's side ---------------------------------------------------

struct CrtcConfig {
    RRCrtc crtc = 0;
    RRMode mode = 0;
    int x = 0;
    int y = 0;
    Rotation rotation = RR_Rotate_0;
    std::vector<RROutput> outputs;

    bool operator==(const CrtcConfig&) const = default;
};

struct ScreenConfig {
    int width = 0;
    int height = 0;
    int widthMm = 0;
    int heightMm = 0;
    std::vector<CrtcConfig> crtcs;
};

CrtcConfig readCrtc(Display* display, XRRScreenResources* resources, RRCrtc crtc) {
    CrtcConfig config;
    config.crtc = crtc;
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, crtc);
    if (info == nullptr) return config;
    config.mode = info->mode;
    config.x = info->x;
    config.y = info->y;
    config.rotation = info->rotation;
    config.outputs.assign(info->outputs, info->outputs + info->noutput);
    XRRFreeCrtcInfo(info);
    return config;
}

std::optional<ScreenConfig> readScreen(Display* display) {
    const int screen = DefaultScreen(display);
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, RootWindow(display, screen));
    if (resources == nullptr) return std::nullopt;
    ScreenConfig config;
    config.width = DisplayWidth(display, screen);
    config.height = DisplayHeight(display, screen);
    config.widthMm = DisplayWidthMM(display, screen);
    config.heightMm = DisplayHeightMM(display, screen);
    for (int i = 0; i < resources->ncrtc; ++i)
        config.crtcs.push_back(readCrtc(display, resources, resources->crtcs[i]));
    XRRFreeScreenResources(resources);
    return config;
}

// Whether a CRTC as it is now lies within a screen of this size.
bool fitsScreen(XRRScreenResources* resources, const CrtcConfig& crtc, int width, int height) {
    if (crtc.mode == None) return true;
    for (int i = 0; i < resources->nmode; ++i) {
        const XRRModeInfo& mode = resources->modes[i];
        if (mode.id == crtc.mode) {
            const bool turned = (crtc.rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
            const int across = static_cast<int>(turned ? mode.height : mode.width);
            const int down = static_cast<int>(turned ? mode.width : mode.height);
            return crtc.x + across <= width && crtc.y + down <= height;
        }
    }
    return false;
}

// Puts `saved` back where the display differs from it, in the order xrandr
// uses: CRTCs that would not fit the screen's new size off, the screen's
// size, then each changed CRTC as it was.
void restoreScreen(Display* display, const ScreenConfig& saved) {
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XGrabServer(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr) {
        XUngrabServer(display);
        return;
    }
    std::vector<const CrtcConfig*> changed;
    for (const CrtcConfig& want : saved.crtcs) {
        const CrtcConfig now = readCrtc(display, resources, want.crtc);
        if (now == want) continue;
        changed.push_back(&want);
        if (!fitsScreen(resources, now, saved.width, saved.height)) {
            XRRSetCrtcConfig(display, resources, want.crtc, CurrentTime, 0, 0, None, RR_Rotate_0,
                             nullptr, 0);
        }
    }
    if (DisplayWidth(display, screen) != saved.width ||
        DisplayHeight(display, screen) != saved.height) {
        XRRSetScreenSize(display, root, saved.width, saved.height, saved.widthMm, saved.heightMm);
    }
    for (const CrtcConfig* want : changed) {
        XRRSetCrtcConfig(display, resources, want->crtc, CurrentTime, want->x, want->y, want->mode,
                         want->rotation, const_cast<RROutput*>(want->outputs.data()),
                         static_cast<int>(want->outputs.size()));
    }
    XRRFreeScreenResources(resources);
    XUngrabServer(display);
    XSync(display, False);
}

int reportXError(Display* display, XErrorEvent* event) {
    char text[160] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    std::fprintf(stderr, "tev-intro mode guardian: X error: %s\n", text);
    return 0;
}

// Xlib's own handler calls exit(), which would run the program's exit
// handlers in this copy of it.
int connectionLost(Display*) {
    _exit(1);
}

// A connection of its own for each request: Xlib keeps the screen's size
// as it was when the connection was made.
std::optional<ScreenConfig> noteScreen() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return std::nullopt;
    std::optional<ScreenConfig> config;
    int eventBase = 0, errorBase = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase)) config = readScreen(display);
    XCloseDisplay(display);
    return config;
}

void restoreScreen(const ScreenConfig& saved) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    restoreScreen(display, saved);
    XCloseDisplay(display);
}

[[noreturn]] void runGuardian(int socket) {
    // Out of the program's process group and session: Ctrl-C, a closed
    // terminal or a signal to the group end the program, and this stays to
    // clean up after it.
    setsid();
    signal(SIGINT, SIG_IGN);
    signal(SIGHUP, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (null > STDERR_FILENO) close(null);
    }
    XSetErrorHandler(reportXError);
    XSetIOErrorHandler(connectionLost);

    std::optional<ScreenConfig> saved;
    while (true) {
        char request = 0;
        const ssize_t got = recv(socket, &request, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the program has ended
        if (request == kNote) {
            saved = noteScreen();
        } else if (request == kForget) {
            saved.reset();
        } else if (request == kRestore && saved) {
            restoreScreen(*saved);
        }
        send(socket, &request, 1, MSG_NOSIGNAL);
    }
    if (saved) restoreScreen(*saved);
    _exit(0);
}

// ---- The program's side ----------------------------------------------------

// Sends one request and waits for its answer. Only calls that are safe in
// a signal handler.
bool ask(char request) {
    const int socket = guardianSocket.load();
    if (socket < 0) return false;
    char late = 0;  // the answer to a request that was given up on
    while (recv(socket, &late, 1, MSG_DONTWAIT) == 1) {
    }
    if (send(socket, &request, 1, MSG_NOSIGNAL) != 1) return false;
    pollfd answer = {socket, POLLIN, 0};
    while (true) {
        const int ready = poll(&answer, 1, kAnswerMilliseconds);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char echoed = 0;
        const ssize_t got = recv(socket, &echoed, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        return got == 1;
    }
}

void onFatalSignal(int signal) {
    const int savedErrno = errno;
    restoreGuardedMode();
    // The default action again, and the same signal: the process ends as
    // it would have, with its status and core dump. Blocked while this
    // handler runs, the signal is delivered as it returns.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
    errno = savedErrno;
}

void restoreAtExit() {
    restoreGuardedMode();
}

void installFatalSignalHandlers() {
    // Its own stack, so that a stack overflow's SIGSEGV can run it too.
    static char alternateStack[64 * 1024];
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action = {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
}

}  // namespace

bool startModeGuardian() {
    if (guardianSocket.load() >= 0) return true;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        std::perror("tev-intro: no mode guardian: socketpair");
        return false;
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = fork();
    if (child < 0) {
        std::perror("tev-intro: no mode guardian: fork");
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (child == 0) {
        close(ends[0]);
        runGuardian(ends[1]);
    }
    close(ends[1]);
    guardianSocket.store(ends[0]);
    std::atexit(restoreAtExit);
    installFatalSignalHandlers();
    return true;
}

void guardModeChange() {
    if (guardianSocket.load() < 0) return;
    if (!ask(kNote)) {
        std::fprintf(stderr,
                     "tev-intro: the mode guardian does not answer; the display's mode may "
                     "stay changed if the show ends abnormally\n");
    }
}

void modeRestored() {
    ask(kForget);
}

void restoreGuardedMode() {
    ask(kRestore);
}

}  // namespace tev::platform
