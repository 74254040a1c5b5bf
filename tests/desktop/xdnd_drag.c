/* A drag source for tests: drops files (as text/uri-list) or a piece of text onto an X window
 * by the XDND protocol, as a file manager would, from a process of its own.
 *
 *   xdnd_drag WINDOW X Y FILE...        drop files at root coordinates X, Y over WINDOW
 *   xdnd_drag WINDOW X Y --text TEXT    drop a piece of text
 *
 * Exits 0 when the target accepted the drop and said it finished, 1 otherwise. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display *dpy;
static Window source, target;
static Atom aSelection, aEnter, aPosition, aStatus, aDrop, aFinished, aLeave, aActionCopy, aTypeList;
static Atom types[3];
static int typeCount;
static char *payload;

static void sendMessage(Atom type, long l1, long l2, long l3, long l4) {
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.display = dpy;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)source;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &e);
    XSync(dpy, False);
}

/* Hands the dragged data to whoever asks for it (the target asks while the drag is under way). */
static void answerRequest(XSelectionRequestEvent *r) {
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = r->display;
    reply.xselection.requestor = r->requestor;
    reply.xselection.selection = r->selection;
    reply.xselection.target = r->target;
    reply.xselection.time = r->time;
    reply.xselection.property = None;
    Atom property = r->property != None ? r->property : r->target;
    for (int i = 0; i < typeCount; ++i) {
        if (r->target == types[i]) {
            XChangeProperty(dpy, r->requestor, property, r->target, 8, PropModeReplace,
                            (unsigned char *)payload, (int)strlen(payload));
            reply.xselection.property = property;
        }
    }
    XSendEvent(dpy, r->requestor, False, NoEventMask, &reply);
    XSync(dpy, False);
}

/* Waits for a client message of the given type, answering data requests meanwhile. */
static int waitFor(Atom type, XEvent *out, double seconds) {
    struct timespec start, now;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == SelectionRequest) answerRequest(&e.xselectionrequest);
            if (e.type == ClientMessage && e.xclient.message_type == type) {
                *out = e;
                return 1;
            }
        }
        clock_gettime(CLOCK_MONOTONIC, &now);
        double waited = (now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) / 1e9;
        if (waited > seconds) return 0;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(dpy), &fds);
        struct timeval tv = {0, 20000};
        select(ConnectionNumber(dpy) + 1, &fds, NULL, NULL, &tv);
    }
}

static char *uriList(int count, char **files) {
    size_t size = 1;
    for (int i = 0; i < count; ++i) size += strlen(files[i]) * 3 + 16;
    char *out = calloc(size, 1);
    for (int i = 0; i < count; ++i) {
        strcat(out, "file://");
        char *end = out + strlen(out);
        for (const unsigned char *p = (const unsigned char *)files[i]; *p; ++p) {
            if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
                strchr("/-._~", *p)) {
                *end++ = (char)*p;
            } else {
                end += sprintf(end, "%%%02X", *p);
            }
        }
        strcpy(end, "\r\n");
    }
    return out;
}

int main(int argc, char **argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: xdnd_drag WINDOW X Y FILE... | --text TEXT\n");
        return 2;
    }
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "xdnd_drag: cannot open display\n");
        return 2;
    }
    target = (Window)strtoul(argv[1], NULL, 0);
    long x = strtol(argv[2], NULL, 10), y = strtol(argv[3], NULL, 10);
    aSelection = XInternAtom(dpy, "XdndSelection", False);
    aEnter = XInternAtom(dpy, "XdndEnter", False);
    aPosition = XInternAtom(dpy, "XdndPosition", False);
    aStatus = XInternAtom(dpy, "XdndStatus", False);
    aDrop = XInternAtom(dpy, "XdndDrop", False);
    aFinished = XInternAtom(dpy, "XdndFinished", False);
    aLeave = XInternAtom(dpy, "XdndLeave", False);
    aActionCopy = XInternAtom(dpy, "XdndActionCopy", False);
    aTypeList = XInternAtom(dpy, "XdndTypeList", False);
    if (strcmp(argv[4], "--text") == 0 && argc == 6) {
        payload = argv[5];
        types[0] = XInternAtom(dpy, "text/plain", False);
        types[1] = XInternAtom(dpy, "text/plain;charset=utf-8", False);
        types[2] = XInternAtom(dpy, "UTF8_STRING", False);
        typeCount = 3;
    } else {
        payload = uriList(argc - 4, argv + 4);
        types[0] = XInternAtom(dpy, "text/uri-list", False);
        typeCount = 1;
    }

    source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, 0, 0);
    XChangeProperty(dpy, source, aTypeList, XA_ATOM, 32, PropModeReplace, (unsigned char *)types, typeCount);
    XSetSelectionOwner(dpy, aSelection, source, CurrentTime);
    XSync(dpy, False);

    XEvent e;
    sendMessage(aEnter, 5L << 24, (long)types[0], typeCount > 1 ? (long)types[1] : 0,
                typeCount > 2 ? (long)types[2] : 0);
    sendMessage(aPosition, 0, (x << 16) | (y & 0xFFFF), CurrentTime, (long)aActionCopy);
    if (!waitFor(aStatus, &e, 5.0)) {
        fprintf(stderr, "xdnd_drag: no status from the target\n");
        return 1;
    }
    if (!(e.xclient.data.l[1] & 1)) {
        sendMessage(aLeave, 0, 0, 0, 0);
        fprintf(stderr, "xdnd_drag: the target refused the drag\n");
        return 1;
    }
    sendMessage(aDrop, 0, CurrentTime, 0, 0);
    int finished = waitFor(aFinished, &e, 10.0);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    if (!finished) fprintf(stderr, "xdnd_drag: the target did not finish the drop\n");
    return finished ? 0 : 1;
}
