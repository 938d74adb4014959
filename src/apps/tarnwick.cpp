#include "catalogue/qt/tarnwick_app.h"

int main(int argc, char** argv) { return tw::TarnwickMain(argc, argv); }
