#include "platform/process.h"

#include <cstdlib>
#include <unistd.h>

bool file_flush_to_disk(std::FILE* file)
{
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

long process_id()
{
    return static_cast<long>(getpid());
}

void set_environment(const char* name, const char* value)
{
    setenv(name, value, 1);
}
