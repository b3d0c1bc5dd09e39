// Entry point of the Skerrit console program.
#include "cli/SkerritMain.h"

int main(int argc, char** argv) {
    return skerrit::runSkerrit(argc, argv);
}
