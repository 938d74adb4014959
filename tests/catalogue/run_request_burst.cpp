// Test helper: a sender that queues several texts on a receiver window in one go, as two programs sending at
// the same moment would, then sends the window its client message.
//
//   tw_run_request_burst WINDOW TEXT...
//
// WINDOW is the receiver's X id (decimal or 0x hex). Exits 0 once the X server has the texts.

#include <cstdlib>
#include <string>

#include "port/x11/run_request_protocol.h"

// Last: Xlib defines names such as None that other headers use.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const Window window = std::strtoul(argv[1], nullptr, 0);
  std::string texts;
  for (int at = 2; at < argc; ++at) texts.append(argv[at]).push_back('\0');

  Display* display = XOpenDisplay(nullptr);
  if (!display) return 3;
  const Atom request = XInternAtom(display, tw::port::x11::kRequestProperty, False);
  XChangeProperty(display, window, request, XA_STRING, 8, PropModeAppend,
                  reinterpret_cast<const unsigned char*>(texts.data()), static_cast<int>(texts.size()));
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = request;
  message.xclient.format = 32;
  message.xclient.data.l[0] = tw::port::x11::kProtocolVersion;
  XSendEvent(display, window, False, NoEventMask, &message);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
