// SDL's D-Bus connection (screen saver and input-method helpers) keeps
// allocations that are only released by a full SDL shutdown, which the window
// thread cannot do while others may still use SDL audio.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
