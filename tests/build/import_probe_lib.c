__declspec(dllexport) int import_probe_value(void)
{
    return 7;
}
