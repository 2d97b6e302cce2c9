#include "platform/native/mode_guardian.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/native/signals.h"

namespace tev::platform {
namespace {

// One byte a request, answered in order with one byte once done: the same
// byte, or for a note, kHeld or kUnable when nothing was noted.
constexpr char kNote = 'N';
constexpr char kPutBack = 'P';
constexpr char kForget = 'F';
constexpr char kRestore = 'R';
constexpr char kHeld = 'H';
constexpr char kUnable = 'U';
constexpr int kAnswerMilliseconds = 2000;

// The selection a guardian owns while the mode it noted may be changed: one
// show at a time changes the display's mode.
constexpr const char* kHolderSelection = "_TEV_INTRO_DISPLAY_MODE_HELD";

// The program's end of the socket; -1 without a guardian.
std::atomic<int> guardianSocket{-1};
// Answers still to come, those of requests given up on included.
std::atomic<int> answersOwed{0};

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

void restoreScreen(const ScreenConfig& saved) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return;
    restoreScreen(display, saved);
    XCloseDisplay(display);
}

// What the guardian holds between a note and its end: the desktop's
// configuration and the connection that owns the selection.
struct Held {
    Display* display = nullptr;
    ScreenConfig saved;
};

// Takes the selection and notes the configuration, both under one server
// grab, so two guardians cannot both find it free. A connection of its own:
// Xlib keeps the screen's size as it was when the connection was made.
char note(std::optional<Held>& held) {
    if (held) return kNote;  // still the configuration before the first change
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return kUnable;
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) {
        XCloseDisplay(display);
        return kUnable;
    }
    const Window root = DefaultRootWindow(display);
    const Atom selection = XInternAtom(display, kHolderSelection, False);
    const Window owner = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XGrabServer(display);
    if (XGetSelectionOwner(display, selection) != None) {
        XUngrabServer(display);
        XCloseDisplay(display);
        return kHeld;
    }
    XSetSelectionOwner(display, selection, owner, CurrentTime);
    std::optional<ScreenConfig> saved = readScreen(display);
    XUngrabServer(display);
    XSync(display, False);
    if (!saved) {
        XCloseDisplay(display);  // gives the selection up
        return kUnable;
    }
    held = Held{display, std::move(*saved)};
    return kNote;
}

// Closing the connection gives the selection up.
void release(std::optional<Held>& held) {
    if (!held) return;
    XCloseDisplay(held->display);
    held.reset();
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

    std::optional<Held> held;
    while (true) {
        char request = 0;
        const ssize_t got = recv(socket, &request, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the program has ended
        char answer = request;
        if (request == kNote) {
            answer = note(held);
        } else if (request == kPutBack) {
            if (held) restoreScreen(held->saved);
            release(held);
        } else if (request == kForget) {
            release(held);
        } else if (request == kRestore && held) {
            restoreScreen(held->saved);
        }
        send(socket, &answer, 1, MSG_NOSIGNAL);
    }
    if (held) restoreScreen(held->saved);
    release(held);
    _exit(0);
}

// ---- The program's side ----------------------------------------------------

bool post(char request) {
    const int socket = guardianSocket.load();
    if (socket < 0 || send(socket, &request, 1, MSG_NOSIGNAL) != 1) return false;
    answersOwed.fetch_add(1);
    return true;
}

int millisecondsSince(const timespec& start) {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int>((now.tv_sec - start.tv_sec) * 1000 +
                            (now.tv_nsec - start.tv_nsec) / 1000000);
}

// Sends one request and waits for its answer, 2 s at most; 0 without one.
// Answers come in the order of the requests, so those owed to requests
// given up on before are read and dropped. Only calls that are safe in a
// signal handler.
char ask(char request) {
    if (!post(request)) return 0;
    const int socket = guardianSocket.load();
    timespec start = {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pollfd answer = {socket, POLLIN, 0};
    while (true) {
        const int left = kAnswerMilliseconds - millisecondsSince(start);
        if (left <= 0) return 0;
        const int ready = poll(&answer, 1, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return 0;
        char echoed = 0;
        const ssize_t got = recv(socket, &echoed, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got != 1) return 0;
        if (answersOwed.fetch_sub(1) == 1) return echoed;
    }
}

void restoreAtExit() {
    restoreGuardedMode();
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
    catchFatalSignals();
    return true;
}

GuardAnswer guardModeChange() {
    if (guardianSocket.load() < 0) return GuardAnswer::NoGuardian;
    switch (ask(kNote)) {
        case kNote:
            return GuardAnswer::Noted;
        case kHeld:
            return GuardAnswer::Held;
        case kUnable:
            return GuardAnswer::Unable;
        default:
            // A note that comes later must not stay: the show then does not
            // change the mode, and the guardian takes this after the note.
            post(kForget);
            return GuardAnswer::Unanswered;
    }
}

void modeRestored() {
    ask(kPutBack);
}

void restoreGuardedMode() {
    ask(kRestore);
}

}  // namespace tev::platform
