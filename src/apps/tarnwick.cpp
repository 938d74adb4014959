#include "catalogue/qt/tarnwick_app.h"
#include "editor/qt/main_form_editor.h"

int main(int argc, char** argv) { return tw::TarnwickMain(argc, argv, tw::ConnectScriptEditor); }
