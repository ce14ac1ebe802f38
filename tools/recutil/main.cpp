#include <iostream>

#include "commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return recutil::run_recutil(args, std::cout, std::cerr);
}
