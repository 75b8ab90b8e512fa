// Watches X windows for the window measurements (bench/measure/window-figures).
//
//   window-probe launch COMMAND [ARGS...]
//       Starts COMMAND and waits for its first top-level window to be mapped. Prints
//       "startup_ms=<ms> pid=<pid> window=<id>" and leaves the program running.
//   window-probe frames WINDOW SECONDS
//       Counts the window's frames for SECONDS by the damage the X server reports (updates less
//       than 2 ms apart belong to one frame). Prints "frames=<n> mean_ms=<ms> p99_dev_ms=<ms>
//       unchanged=<n>": the mean period, the 99th percentile of how far single periods stray
//       from it, and how many frames sent nothing because nothing in them changed.
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

// From the X damage extension (libXdamage), declared here so that only its library is needed.
typedef XID Damage;
typedef struct {
    int type;
    unsigned long serial;
    Bool send_event;
    Display *display;
    Drawable drawable;
    Damage damage;
    int level;
    Bool more;
    Time timestamp;
    XRectangle area;
    XRectangle geometry;
} XDamageNotifyEvent;
Bool XDamageQueryExtension(Display *dpy, int *event_base, int *error_base);
Damage XDamageCreate(Display *dpy, Drawable drawable, int level);
#define XDamageReportRawRectangles 0
#define XDamageNotify 0

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Waits up to timeout_ms for an X event; returns 0 on timeout.
static int next_event(Display *dpy, XEvent *ev, double timeout_ms) {
    double until = now_ms() + timeout_ms;
    while (!XPending(dpy)) {
        double left = until - now_ms();
        if (left <= 0) {
            return 0;
        }
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(dpy), &fds);
        struct timeval tv = {(time_t)(left / 1000), (suseconds_t)(fmod(left, 1000.0) * 1000)};
        select(ConnectionNumber(dpy) + 1, &fds, NULL, NULL, &tv);
    }
    XNextEvent(dpy, ev);
    return 1;
}

static int launch(Display *dpy, char **argv) {
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);
    double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        // The program's output goes nowhere, so that the caller can read the probe's alone.
        close(ConnectionNumber(dpy));
        if (freopen("/dev/null", "w", stdout) == NULL || freopen("/dev/null", "w", stderr) == NULL) {
            _exit(127);
        }
        execvp(argv[0], argv);
        perror(argv[0]);
        _exit(127);
    }
    XEvent ev;
    while (next_event(dpy, &ev, 20000)) {
        if (ev.type == MapNotify && ev.xmap.event == root && !ev.xmap.override_redirect) {
            printf("startup_ms=%.1f pid=%d window=%lu\n", now_ms() - start, (int)pid, ev.xmap.window);
            return 0;
        }
    }
    printf("startup_ms=none pid=%d window=0\n", (int)pid);
    return 1;
}

static int compare(const void *a, const void *b) {
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

static int frames(Display *dpy, Window window, double seconds) {
    int event_base, error_base;
    if (!XDamageQueryExtension(dpy, &event_base, &error_base)) {
        fprintf(stderr, "the X server has no damage extension\n");
        return 1;
    }
    XDamageCreate(dpy, window, XDamageReportRawRectangles);
    XSync(dpy, False);
    // Creating the damage object reports the whole window at once: that is no frame.
    int skip = 1;
    size_t cap = 1 << 16, n = 0;
    double *times = malloc(cap * sizeof *times);
    double end = now_ms() + seconds * 1000;
    XEvent ev;
    for (double left; (left = end - now_ms()) > 0;) {
        if (!next_event(dpy, &ev, left)) {
            break;
        }
        if (ev.type == event_base + XDamageNotify) {
            double t = now_ms();
            if (skip > 0) {
                skip -= ((XDamageNotifyEvent *)&ev)->more ? 0 : 1;
                continue;
            }
            if ((n == 0 || t - times[n - 1] >= 2.0) && n < cap) {
                times[n++] = t;
            }
        }
    }
    if (n < 3) {
        printf("frames=%zu mean_ms=none p99_dev_ms=none\n", n);
        return 1;
    }
    // A frame that is the same as the one before is not sent to the display, so it makes no damage:
    // the gap around it is two periods. The period is the median gap; each gap counts as the whole
    // number of periods nearest to it, and strays from that.
    double *gaps = malloc((n - 1) * sizeof *gaps);
    for (size_t i = 1; i < n; ++i) {
        gaps[i - 1] = times[i] - times[i - 1];
    }
    qsort(gaps, n - 1, sizeof *gaps, compare);
    double period = gaps[(n - 1) / 2];
    double *dev = malloc((n - 1) * sizeof *dev);
    long periods = 0;
    for (size_t i = 1; i < n; ++i) {
        double gap = times[i] - times[i - 1];
        long k = lround(gap / period);
        if (k < 1) {
            k = 1;
        }
        periods += k;
        dev[i - 1] = fabs(gap - (double)k * period);
    }
    double mean = (times[n - 1] - times[0]) / (double)periods;
    qsort(dev, n - 1, sizeof *dev, compare);
    size_t k = (size_t)ceil(0.99 * (double)(n - 1)) - 1;
    printf("frames=%zu mean_ms=%.2f p99_dev_ms=%.2f unchanged=%ld\n", n, mean, dev[k], periods - (long)(n - 1));
    return 0;
}

int main(int argc, char **argv) {
    Display *dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc >= 3 && strcmp(argv[1], "launch") == 0) {
        return launch(dpy, argv + 2);
    }
    if (argc == 4 && strcmp(argv[1], "frames") == 0) {
        return frames(dpy, (Window)strtoul(argv[2], NULL, 0), atof(argv[3]));
    }
    fprintf(stderr, "usage: %s launch COMMAND [ARGS...] | frames WINDOW SECONDS\n", argv[0]);
    return 2;
}
