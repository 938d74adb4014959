// Test helper: a clipboard manager that saves the clipboard when its owner asks it to (SAVE_TARGETS on the
// CLIPBOARD_MANAGER selection) and writes the saved UTF-8 text to the file named by its one argument.
// It creates "<file>.ready" once it is the manager.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>

namespace {

void writeFile(const std::string& path, const std::string& content) {
  const std::string partial = path + ".partial";
  if (std::FILE* out = std::fopen(partial.c_str(), "wb")) {
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);
    std::rename(partial.c_str(), path.c_str());
  }
}

std::string fetchClipboard(Display* display, Window window) {
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom property = XInternAtom(display, "STANDIN_SAVED", False);
  XConvertSelection(display, clipboard, XInternAtom(display, "UTF8_STRING", False), property, window, CurrentTime);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != SelectionNotify);
  if (event.xselection.property == None) return "(refused)";
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &remaining,
                     &data);
  std::string text = data ? std::string(reinterpret_cast<const char*>(data), count) : std::string();
  if (data) XFree(data);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 3;
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom manager = XInternAtom(display, "CLIPBOARD_MANAGER", False);
  const Atom saveTargets = XInternAtom(display, "SAVE_TARGETS", False);
  XSetSelectionOwner(display, manager, window, CurrentTime);
  if (XGetSelectionOwner(display, manager) != window) return 4;
  writeFile(std::string(argv[1]) + ".ready", "");
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != SelectionRequest) continue;
    const XSelectionRequestEvent request = event.xselectionrequest;
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.selection == manager && request.target == saveTargets) {
      writeFile(argv[1], fetchClipboard(display, window));
      XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace, nullptr, 0);
      reply.xselection.property = request.property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
  }
}
