/* Prints a line "MICROSECONDS X Y WIDTH HEIGHT" (CLOCK_MONOTONIC) for every area
 * the X server draws on the screen of $DISPLAY, until it is ended: when a
 * picture reached the screen, for any player alike. With a first line "ready". */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <stdio.h>
#include <time.h>

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "damage_watch: cannot open the display\n");
        return 1;
    }
    int event_base = 0, error_base = 0;
    if (!XDamageQueryExtension(display, &event_base, &error_base)) {
        fprintf(stderr, "damage_watch: the X server has no DAMAGE extension\n");
        return 1;
    }
    /* Raw rectangles: one event per drawing, nothing merged or left out. */
    XDamageCreate(display, DefaultRootWindow(display), XDamageReportRawRectangles);
    XSync(display, False);
    printf("ready\n");
    fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != event_base + XDamageNotify)
            continue;
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const XDamageNotifyEvent* damage = (const XDamageNotifyEvent*)&event;
        printf("%lld %d %d %d %d\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000, damage->area.x,
               damage->area.y, damage->area.width, damage->area.height);
        fflush(stdout);
    }
}
