// pelto-xdnd-drop: drops files on the X window at a screen point the way a file
// manager does when a user drags them there (an XDND drag source), for the
// end-to-end tests. Wine turns such a drop on a window that accepts files
// into WM_DROPFILES.
//   pelto-xdnd-drop [options] <screen-x> <screen-y> <unix-path> [<unix-path> ...]
// Options:
//   --timeout MS   how long to wait for the target at each step (default 5000)
//   --no-warp      leave the pointer where it is (by default it is moved to the
//                  point, as it would be at the end of a real drag)
//   --verbose      tell on stderr what happens
//   --status FILE  also write the exit code and a newline to FILE when done
//                  (a Win32 program that starts this tool under Wine gets no
//                  process handle, so it waits for this file instead)
// Relative paths are made absolute; the files are offered as a text/uri-list of
// file:/// URIs (UTF-8, percent-encoded) in one drop.
// Exit code: 0 the target took the drop, 1 no drop-aware window at the point or
// the target refused the files, 3 the target did not answer in time,
// 2 usage or setup error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool Verbose = false;

__attribute__((format(printf, 1, 2))) void Say(const char* format, ...) {
    if (!Verbose) return;
    va_list args;
    va_start(args, format);
    std::fputs("pelto-xdnd-drop: ", stderr);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

const long OurVersion = 5;

struct Atoms {
    Atom aware, enter, position, status, leave, drop, finished, selection, actionCopy, typeList, uriList,
        targets, timestamp;
};

Atoms Intern(Display* d) {
    // In the order of the fields of Atoms.
    const char* names[] = {"XdndAware", "XdndEnter", "XdndPosition", "XdndStatus", "XdndLeave", "XdndDrop",
                           "XdndFinished", "XdndSelection", "XdndActionCopy", "XdndTypeList", "text/uri-list",
                           "TARGETS", "TIMESTAMP"};
    Atom got[sizeof names / sizeof names[0]];
    static_assert(sizeof got == sizeof(Atoms), "a name for every field of Atoms");
    XInternAtoms(d, const_cast<char**>(names), static_cast<int>(sizeof names / sizeof names[0]), False, got);
    Atoms atoms;
    std::memcpy(&atoms, got, sizeof atoms);
    return atoms;
}

std::string AbsolutePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) return resolved;
    if (!path.empty() && path[0] == '/') return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

std::string FileUri(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) uri += static_cast<char>(c);
        else uri += {'%', hex[c >> 4], hex[c & 15]};
    }
    return uri;
}

// The XdndAware version of a window, 0 when it does not take drops.
long AwareVersion(Display* d, const Atoms& a, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long version = 0;
    const int got =
        XGetWindowProperty(d, w, a.aware, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
    if (got == Success && data) {
        if (type == XA_ATOM && format == 32 && count == 1) version = static_cast<long>(*reinterpret_cast<Atom*>(data));
        XFree(data);
    }
    return version;
}

// The topmost drop-aware window that the point is in, descending from the root
// as the pointer would (shapes included).
Window FindTarget(Display* d, const Atoms& a, Window root, int x, int y, long* version) {
    Window current = root;
    for (int depth = 0; depth < 64; ++depth) {
        int localX = 0, localY = 0;
        Window child = None;
        if (!XTranslateCoordinates(d, root, current, x, y, &localX, &localY, &child) || child == None) break;
        const long v = AwareVersion(d, a, child);
        Say("window %#lx at the point, XdndAware %ld\n", child, v);
        if (v > 0) {
            *version = v;
            return child;
        }
        current = child;
    }
    return None;
}

// A server time stamp, from a property change on our own window.
Time ServerTime(Display* d, Window w) {
    const Atom stamp = XInternAtom(d, "PELTO_XDND_TIME", False);
    unsigned char none = 0;
    XChangeProperty(d, w, stamp, XA_STRING, 8, PropModeAppend, &none, 0);
    XEvent e;
    for (;;) {
        XWindowEvent(d, w, PropertyChangeMask, &e);
        if (e.type == PropertyNotify && e.xproperty.atom == stamp) return e.xproperty.time;
    }
}

void SendClient(Display* d, Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    const long data[5] = {l0, l1, l2, l3, l4};
    std::memcpy(e.xclient.data.l, data, sizeof data);
    XSendEvent(d, target, False, NoEventMask, &e);
    XFlush(d);
}

struct Drag {
    Display* d = nullptr;
    Atoms a{};
    Window source = None;
    Window target = None;
    Time time = CurrentTime;
    std::string uriList;
    // What the target told.
    bool statusSeen = false, accepted = false;
    bool finishedSeen = false, finishedAccepted = false;
};

void AnswerSelectionRequest(Drag& g, const XSelectionRequestEvent& r) {
    XEvent reply;
    std::memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = r.display;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    const Atom property = r.property != None ? r.property : r.target;
    reply.xselection.property = None;
    auto give = [&](Atom type, int format, const void* data, int count) {
        XChangeProperty(g.d, r.requestor, property, type, format, PropModeReplace,
                        static_cast<const unsigned char*>(data), count);
        reply.xselection.property = property;
    };
    Atom list[3] = {g.a.targets, g.a.timestamp, g.a.uriList};
    long stamp = static_cast<long>(g.time);
    if (r.selection == g.a.selection) {
        if (r.target == g.a.uriList) give(g.a.uriList, 8, g.uriList.data(), static_cast<int>(g.uriList.size()));
        else if (r.target == g.a.targets) give(XA_ATOM, 32, list, 3);
        else if (r.target == g.a.timestamp) give(XA_INTEGER, 32, &stamp, 1);
    }
    char* name = XGetAtomName(g.d, r.target);
    Say("data asked for as %s: %s\n", name ? name : "?", reply.xselection.property != None ? "given" : "refused");
    if (name) XFree(name);
    XSendEvent(g.d, r.requestor, False, NoEventMask, &reply);
    XFlush(g.d);
}

void Handle(Drag& g, const XEvent& e) {
    if (e.type == SelectionRequest) {
        AnswerSelectionRequest(g, e.xselectionrequest);
    } else if (e.type == ClientMessage && e.xclient.format == 32) {
        const XClientMessageEvent& m = e.xclient;
        if (static_cast<Window>(m.data.l[0]) != g.target) return;
        if (m.message_type == g.a.status) {
            g.statusSeen = true;
            g.accepted = (m.data.l[1] & 1) != 0;
            Say("status: %s\n", g.accepted ? "accepts" : "refuses");
        } else if (m.message_type == g.a.finished) {
            g.finishedSeen = true;
            g.finishedAccepted = (m.data.l[1] & 1) != 0;
            Say("finished: %s\n", g.finishedAccepted ? "accepted" : "not accepted");
        }
    }
}

// Handles events until done() says so or the time is up; false on time-out.
template <typename Done>
bool WaitFor(Drag& g, int timeoutMs, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        while (XPending(g.d) > 0 && !done()) {
            XEvent e;
            XNextEvent(g.d, &e);
            Handle(g, e);
        }
        if (done()) break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(g.d), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left > 50 ? 50 : left));
    }
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: pelto-xdnd-drop [--timeout MS] [--no-warp] [--verbose] [--status FILE] "
                 "<screen-x> <screen-y> <unix-path> [<unix-path> ...]\n");
    return 2;
}

// Writes the code to the file whole (through a rename), so that a reader never
// sees it half written.
void WriteStatus(const std::string& file, int code) {
    if (file.empty()) return;
    const std::string temporary = file + ".part";
    FILE* f = std::fopen(temporary.c_str(), "w");
    if (!f) return;
    std::fprintf(f, "%d\n", code);
    std::fclose(f);
    std::rename(temporary.c_str(), file.c_str());
}

int Run(int argc, char** argv, std::string* statusFile) {
    int timeoutMs = 5000;
    bool warp = true;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--timeout" && i + 1 < argc) timeoutMs = std::atoi(argv[++i]);
        else if (arg == "--status" && i + 1 < argc) *statusFile = argv[++i];
        else if (arg == "--no-warp") warp = false;
        else if (arg == "--verbose") Verbose = true;
        else if (arg == "--help" || arg == "-h") return Usage();
        else positional.push_back(arg);
    }
    if (positional.size() < 3) return Usage();
    char* end = nullptr;
    const long x = std::strtol(positional[0].c_str(), &end, 10);
    if (*end) return Usage();
    const long y = std::strtol(positional[1].c_str(), &end, 10);
    if (*end) return Usage();

    Drag g;
    for (size_t i = 2; i < positional.size(); ++i) g.uriList += FileUri(AbsolutePath(positional[i])) + "\r\n";
    Say("offering:\n%s", g.uriList.c_str());

    g.d = XOpenDisplay(nullptr);
    if (!g.d) {
        std::fprintf(stderr, "pelto-xdnd-drop: cannot open display\n");
        return 2;
    }
    g.a = Intern(g.d);
    const Window root = DefaultRootWindow(g.d);

    XSetWindowAttributes attributes = {};
    attributes.override_redirect = True;
    attributes.event_mask = PropertyChangeMask;
    g.source = XCreateWindow(g.d, root, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                             CWOverrideRedirect | CWEventMask, &attributes);
    Atom types[1] = {g.a.uriList};
    XChangeProperty(g.d, g.source, g.a.typeList, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(types),
                    1);
    g.time = ServerTime(g.d, g.source);

    XSetSelectionOwner(g.d, g.a.selection, g.source, g.time);
    if (XGetSelectionOwner(g.d, g.a.selection) != g.source) {
        std::fprintf(stderr, "pelto-xdnd-drop: cannot own the drag selection\n");
        return 2;
    }
    if (warp) {
        XWarpPointer(g.d, None, root, 0, 0, 0, 0, static_cast<int>(x), static_cast<int>(y));
        XSync(g.d, False);
    }

    long version = 0;
    g.target = FindTarget(g.d, g.a, root, static_cast<int>(x), static_cast<int>(y), &version);
    if (g.target == None) {
        std::fprintf(stderr, "pelto-xdnd-drop: no window at %ld,%ld takes drops\n", x, y);
        return 1;
    }
    if (version > OurVersion) version = OurVersion;
    Say("target %#lx, protocol version %ld\n", g.target, version);

    SendClient(g.d, g.target, g.a.enter, static_cast<long>(g.source), version << 24, static_cast<long>(g.a.uriList),
               None, None);
    const long where = (x << 16) | (y & 0xFFFF);
    // Positions until the target answers one; a target may want a moment after
    // the enter (to fetch the data) before it can say whether it takes it.
    bool answered = false;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!answered && std::chrono::steady_clock::now() < giveUp) {
        g.statusSeen = false;
        SendClient(g.d, g.target, g.a.position, static_cast<long>(g.source), 0, where, static_cast<long>(g.time),
                   static_cast<long>(g.a.actionCopy));
        answered = WaitFor(g, 500, [&] { return g.statusSeen; });
    }
    if (!answered || !g.accepted) {
        SendClient(g.d, g.target, g.a.leave, static_cast<long>(g.source), 0, 0, 0, 0);
        std::fprintf(stderr, "pelto-xdnd-drop: the window at %ld,%ld %s\n", x, y,
                     answered ? "does not take these files" : "did not answer");
        return answered ? 1 : 3;
    }

    SendClient(g.d, g.target, g.a.drop, static_cast<long>(g.source), 0, static_cast<long>(g.time), 0, 0);
    if (!WaitFor(g, timeoutMs, [&] { return g.finishedSeen; })) {
        std::fprintf(stderr, "pelto-xdnd-drop: the drop was not confirmed in time\n");
        return 3;
    }
    XDestroyWindow(g.d, g.source);
    XCloseDisplay(g.d);
    // Before version 5 the finish carries no verdict.
    if (version < 5 || g.finishedAccepted) return 0;
    std::fprintf(stderr, "pelto-xdnd-drop: the target refused the drop\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string statusFile;
    const int code = Run(argc, argv, &statusFile);
    WriteStatus(statusFile, code);
    return code;
}
