// The Objective-C runtime keeps its tables until the process ends; that is not
// what this build looks for.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0";
}
