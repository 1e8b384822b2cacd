#include "TavlenMain.h"

int main(int argc, char** argv)
{
    return tavlen::runTavlen(argc, argv);
}
