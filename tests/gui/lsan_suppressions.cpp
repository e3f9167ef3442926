// Leak checker suppressions for the widget tests: the font library keeps its configuration until exit.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    // Allocated once when Qt first asks for fonts and never freed; nothing of ours.
    return "leak:libfontconfig.so\n";
}
