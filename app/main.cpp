#include "ui/lifecycle.h"

int main(int argc, char* argv[]) { return board::RunProgram(argc, argv); }
