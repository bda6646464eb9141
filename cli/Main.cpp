#include "cli/Commands.h"

int main(int argc, char** argv)
{
    return qz::cli::Main(argc, argv);
}
