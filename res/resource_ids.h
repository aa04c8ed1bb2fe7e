#pragma once
// Identifiers of the program's resources, shared by app.rc and the code.
#define IDI_PROGRAM 1
