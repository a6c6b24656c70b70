// Cutting a raw command line into arguments, by the rules of the Windows
// console tools this program follows (not those of the C runtime's argv).
#pragma once

#include <string>

// Gives the start of the character after the one at `p`; at a zero byte it
// gives `p` itself. On Windows this is CharNextA, so that a lead byte and its
// trail byte are one character.
using CharStepper = const char* (*)(const char* p);

// Steps one byte: the stepper for single-byte code pages.
const char* NextByte(const char* p);

// Argument 1 of the zero-terminated command line `commandLine`, or "" when
// there is none.
std::string CommandLineArgument1(const char* commandLine, CharStepper next);
