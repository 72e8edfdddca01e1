// The library dying_updater imports from; it is built into a folder of its own so that it
// is never found beside the program.
extern "C" __declspec(dllexport) int ZelAbsentFunction(void)
{
    return 0;
}
