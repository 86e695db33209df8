#include "startup.h"

int main(int argc, char **argv)
{
    return shell::runCardApplication(argc, argv);
}
