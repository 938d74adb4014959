// GLib allocates a buffer in its load-time constructor and never frees it; the sound player's tests load
// GLib through GStreamer, and the leak checker of sanitizer builds would fail them for it. The checker calls
// this hook for its built-in suppressions; other builds never do.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\n"; }
