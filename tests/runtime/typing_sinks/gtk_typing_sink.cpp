// A GTK 3 window that writes everything typed into it to a file, for typing tests: the text view's whole
// text goes to FILE after every change.
// Usage: gtk_typing_sink TITLE FILE

#include <gtk/gtk.h>

namespace {

void Save(GtkTextBuffer* buffer, gpointer path) {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  // Written to a temporary file and renamed, so a reader never sees half of it.
  g_file_set_contents(static_cast<const gchar*>(path), text, -1, nullptr);
  g_free(text);
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc != 3) return 2;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argv[1]);
  gtk_window_set_default_size(GTK_WINDOW(window), 500, 300);
  GtkWidget* view = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), "changed", G_CALLBACK(Save), argv[2]);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
