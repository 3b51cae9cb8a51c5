// Starts a program and stops it the moment a top-level window of the given
// title is mapped, then prints the CPU time the process had used by then and
// the time the clock had run:
//
//   startup_probe TITLE SECONDS PROGRAM [ARGUMENT]...
//
// prints "cpu_ms wall_ms" on one line, or fails when no such window is
// mapped within SECONDS.
//
// Waiting on the X server's map event rather than polling with xdotool puts
// the figure at the map itself: a poll's delay would add whatever the
// program does after the map, and its own start-up would load the machine.
// The CPU time comes from the stopped child's resource usage (microseconds,
// every thread included), not from /proc's clock ticks, which count in
// 10 ms steps and so blur a 50 ms figure.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    std::free(r);
    return a;
}

std::string textProperty(xcb_connection_t *c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type)
{
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1024), nullptr);
    std::string text;
    if (r && r->type != XCB_ATOM_NONE)
        text.assign(static_cast<const char *>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    return text;
}

bool titled(xcb_connection_t *c, xcb_window_t w, const std::string &title, xcb_atom_t netName, xcb_atom_t utf8)
{
    return textProperty(c, w, netName, utf8) == title || textProperty(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY) == title;
}

double ms(const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe TITLE SECONDS PROGRAM [ARGUMENT]...\n");
        return 2;
    }
    const std::string title = argv[1];
    const int seconds = std::atoi(argv[2]);

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // Without a window manager the program's top-level windows are the
    // root's children, and their maps are reported to whoever listens there.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    xcb_flush(c);

    const auto started = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        // The figures are this program's output; the child's would mix in.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execvp(argv[3], argv + 3);
        std::perror("startup_probe: exec");
        _exit(127);
    }
    setpgid(child, child);

    const auto deadline = started + std::chrono::seconds(seconds);
    bool mapped = false;
    double wallMs = 0;
    pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (!mapped) {
        xcb_generic_event_t *e;
        while (!mapped && (e = xcb_poll_for_event(c))) {
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(e);
                if (titled(c, map->window, title, netName, utf8)) {
                    // Stopped first, so the checks after this cost it nothing.
                    kill(-child, SIGSTOP);
                    wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
                    mapped = true;
                }
            }
            std::free(e);
        }
        if (mapped)
            break;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup_probe: %s ended before a window '%s' was mapped\n", argv[3], title.c_str());
            return 1;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            kill(-child, SIGKILL);
            waitpid(child, nullptr, 0);
            std::fprintf(stderr, "startup_probe: no window '%s' mapped within %d s\n", title.c_str(), seconds);
            return 1;
        }
        if (xcb_connection_has_error(c))
            return 1;
        poll(&pfd, 1, int(left < 100 ? left : 100));
    }

    kill(-child, SIGKILL);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    std::printf("%.1f %.1f\n", ms(usage.ru_utime) + ms(usage.ru_stime), wallMs);
    xcb_disconnect(c);
    return 0;
}
