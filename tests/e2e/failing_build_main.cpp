#include "startup.h"

// The program whose window build fails at its first control.
int main(int argc, char **argv)
{
    return shell::runCardApplication(argc, argv, [](const card_window::LayoutEntry &) { return false; });
}
