// main -- the executable's entry: hands control to the application.
#include "app/Application.h"

int main()
{
    return RunApplication();
}
