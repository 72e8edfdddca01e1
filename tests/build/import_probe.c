__declspec(dllimport) int import_probe_value(void);
int main(void)
{
    return import_probe_value() == 7 ? 0 : 1;
}
