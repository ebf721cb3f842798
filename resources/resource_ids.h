#pragma once
// Identifiers shared by the resource script and the program.
#define IDI_WEXLA 1
