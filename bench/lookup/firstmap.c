/* firstmap: starts a program and prints the milliseconds until the X server maps its first
 * window on the screen (with a window manager, the frame around it), then ends the program.
 *   firstmap PROGRAM [ARGUMENT...]
 * Windows already there are not counted: only a map that follows the start. */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: firstmap PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "firstmap: no display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const double start = Now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 1, ended = 0;
    const int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                printf("%.1f\n", Now() - start);
                status = 0;
                goto done;
            }
        }
        if (waitpid(child, NULL, WNOHANG) == child) {
            ended = 1;
            goto done;
        }
        if (Now() - start > 20000)
            goto done;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(fd, &ready);
        struct timeval wait = {0, 10000};
        select(fd + 1, &ready, NULL, NULL, &wait);
    }
done:
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, NULL, 0);
    }
    XCloseDisplay(display);
    return status;
}
