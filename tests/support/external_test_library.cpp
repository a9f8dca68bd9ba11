// A library of plain exports that the tests of outside library calls load at
// run time, as a game loads its own. Text results come from static buffers,
// as such libraries' results usually do; the counter and the call log show
// whether the library was unloaded and loaded anew.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int g_counter = 0;
std::string g_calls;
char g_buffer[256];

}  // namespace

extern "C" {

double add(double a, double b)
{
    return a + b;
}

double sum16(double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8, double a9,
             double a10, double a11, double a12, double a13, double a14, double a15, double a16)
{
    // Weighted, so a swapped pair of arguments shows.
    return a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 + 10 * a10 + 11 * a11 +
           12 * a12 + 13 * a13 + 14 * a14 + 15 * a15 + 16 * a16;
}

double length(const char* text)
{
    return text != nullptr ? static_cast<double>(std::strlen(text)) : -1.0;
}

const char* concat(const char* a, const char* b)
{
    std::snprintf(g_buffer, sizeof g_buffer, "%s%s", a, b);
    return g_buffer;
}

const char* format(double value, const char* text)
{
    std::snprintf(g_buffer, sizeof g_buffer, "%s=%g", text, value);
    return g_buffer;
}

const char* null_text()
{
    return nullptr;
}

double counter()
{
    return ++g_counter;
}

double ext_init()
{
    g_calls += "init;";
    return 0;
}

double ext_final()
{
    g_calls += "final;";
    return 0;
}

double ext_init_with_argument(double)
{
    g_calls += "argument;";
    return 0;
}

const char* calls()
{
    return g_calls.c_str();
}

}  // extern "C"
