#include <cstdio>

int main()
{
    std::puts("Tavlen: the application is not assembled yet; this build provides its libraries and the browser host.");
    return 0;
}
