#include "BrowserHost.h"

int main(int argc, char** argv)
{
    tavlen::hostMain(argc, argv);
}
