// Resource ids shared by the program's code and its resource script.
#pragma once

// The application icon: the lowest id, so that Explorer shows it for the program.
#define IDI_ORVANTHE 1
