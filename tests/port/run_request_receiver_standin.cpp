// Test helper: a program that accepts texts on one top-level window through RunRequestReceiver, as the main
// program does, and appends each text it takes, with a line feed, to a file.
//
//   tw_run_request_receiver_standin OUTPUT TITLE INSTANCE CLASS [hidden]
//
// The window is never mapped with "hidden". "OUTPUT.ready" appears once the window is marked. The program owns
// its window, so it also sees the ClientMessage senders send to the owner and takes the texts on it.

#include <poll.h>

#include <cstdio>
#include <string>

#include "port/x11/run_request_protocol.h"
#include "port/x11/run_request_receiver.h"

// Last: Xlib defines names such as None that other headers use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) return 2;
  const std::string output = argv[1];
  const std::string title = argv[2];
  std::string instance = argv[3], className = argv[4];
  const bool hidden = argc == 6 && std::string(argv[5]) == "hidden";

  Display* display = XOpenDisplay(nullptr);
  if (!display) return 3;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 240, 80, 0, 0, 0xffffff);
  XClassHint hint{instance.data(), className.data()};
  XSetClassHint(display, window, &hint);
  XStoreName(display, window, title.c_str());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
  if (!hidden) XMapWindow(display, window);
  XSync(display, False);

  std::FILE* texts = std::fopen(output.c_str(), "ab");
  if (!texts) return 4;
  std::string problem;
  auto receiver = tw::port::x11::RunRequestReceiver::open(
      DisplayString(display), window,
      [&](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), texts);
        std::fputc('\n', texts);
        std::fflush(texts);
      },
      problem);
  if (!receiver) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 5;
  }
  if (std::FILE* ready = std::fopen((output + ".ready").c_str(), "wb")) std::fclose(ready);

  const Atom request = XInternAtom(display, tw::port::x11::kRequestProperty, False);
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == ClientMessage && event.xclient.message_type == request) receiver->takeTexts();
    }
    receiver->serveEvents();
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {receiver->eventDescriptor(), POLLIN, 0}};
    ::poll(watched, 2, -1);
  }
}
