#pragma once

#include <cstddef>
#include <cstdint>

// The names of the running program's own functions, read from its executable's
// symbol table, so that a crash dump can name a frame inside the program. The
// system's backtrace_symbols() sees only the dynamic symbol table, which holds
// none of an executable's functions (and never those with internal linkage).
class ProgramSymbols
{
public:
    // Reads the table of /proc/self/exe once; later calls do nothing. Allocates
    // and maps files, so it runs at install time, never in a signal handler.
    // False when the executable carries no usable symbol table (stripped).
    static bool Load();

    // The (mangled) name of the program's function that holds `address`, and
    // its start address in `start`; nullptr when the address lies in none of
    // them (a shared library, or nothing loaded). Reads only what Load()
    // prepared: safe inside a signal handler.
    static const char* nameFor(std::uintptr_t address, std::uintptr_t* start);

    // The executable's file name without its folder ("" before Load()).
    static const char* programName();
};
