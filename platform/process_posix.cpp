#include "platform/process.h"

#include <cstdlib>

void set_environment(const char* name, const char* value)
{
    setenv(name, value, 1);
}
