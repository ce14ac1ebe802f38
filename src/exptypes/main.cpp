#include "startup/main_sequence.h"

int main() { startup::program_main(); }
